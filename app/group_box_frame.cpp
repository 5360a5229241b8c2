#include "group_box_frame.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kTitleIndentPx = 7;  // from the frame's left edge to the title
constexpr int kTitleMarginPx = 1;  // background left free beside the title

}  // namespace

void GroupBoxFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    QRect frame = rect();
    frame.setTop(metrics.height() / 2 - 1);
    qDrawShadeRect(&painter, frame, palette(), /*sunken=*/true);
    if (title().isEmpty()) return;
    const QRect text(kTitleIndentPx, 0, metrics.horizontalAdvance(title()), metrics.height());
    painter.fillRect(text.adjusted(-kTitleMarginPx, 0, kTitleMarginPx, 0), palette().window());
    style()->drawItemText(&painter, text, Qt::AlignLeft | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}
