#include "dialog_units.h"

#include <QFontMetrics>

DialogBaseUnits DialogBaseUnits::Of(const QFont& font) {
    // The dialog manager averages the 52 Latin letters and rounds.
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect DialogBaseUnits::ToPixels(const DialogRect& rect) const {
    return {ToPixelsX(rect.x), ToPixelsY(rect.y), ToPixelsX(rect.width), ToPixelsY(rect.height)};
}

QSize DialogBaseUnits::ToPixels(int widthDu, int heightDu) const {
    return {ToPixelsX(widthDu), ToPixelsY(heightDu)};
}
