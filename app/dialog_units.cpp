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
    const int left = ToPixelsX(rect.x);
    const int top = ToPixelsY(rect.y);
    return {left, top, ToPixelsX(rect.x + rect.width) - left,
            ToPixelsY(rect.y + rect.height) - top};
}

QSize DialogBaseUnits::ToPixels(int widthDu, int heightDu) const {
    return {ToPixelsX(widthDu), ToPixelsY(heightDu)};
}
