#include "traffic_view.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

namespace {

// The widest row: a timestamp, the way, and a text row or a hex row.
constexpr int kWidestRowChars = 13 + 2 + static_cast<int>(TrafficScrollback::kTextWidth);

const QColor kSentColor(0x1f, 0x4e, 0xa8);
const QColor kSkippedColor(0x80, 0x80, 0x80);

}  // namespace

TrafficView::TrafficView(const TrafficScrollback& scrollback, QWidget* parent)
    : QAbstractScrollArea(parent), scrollback_(scrollback), dropped_(scrollback.RowsDropped()) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    UpdateRanges();
}

void TrafficView::SetTimestamps(bool shown) {
    timestamps_ = shown;
    viewport()->update();
}

int TrafficView::RowHeight() const {
    return fontMetrics().height();
}

int TrafficView::VisibleRowCount() const {
    return std::max(1, viewport()->height() / std::max(1, RowHeight()));
}

void TrafficView::UpdateRanges() {
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, static_cast<int>(scrollback_.RowCount()) - VisibleRowCount()));
    bar->setPageStep(VisibleRowCount());
    QScrollBar* across = horizontalScrollBar();
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    across->setRange(0, std::max(0, kWidestRowChars * charWidth - viewport()->width()));
    across->setPageStep(viewport()->width());
}

void TrafficView::RowsChanged() {
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    const uint64_t dropped = scrollback_.RowsDropped() - dropped_;
    dropped_ = scrollback_.RowsDropped();
    const int place = bar->value() - static_cast<int>(std::min<uint64_t>(dropped, INT32_MAX));
    UpdateRanges();
    bar->setValue(following ? bar->maximum() : std::max(0, place));
    viewport()->update();
}

void TrafficView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    UpdateRanges();
    if (following) bar->setValue(bar->maximum());
}

QStringList TrafficView::VisibleRows() const {
    QStringList rows;
    const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
    const std::size_t end =
        std::min(scrollback_.RowCount(), first + static_cast<std::size_t>(VisibleRowCount()));
    for (std::size_t i = first; i < end; ++i)
        rows << QString::fromStdString(scrollback_.RowText(i, timestamps_));
    return rows;
}

void TrafficView::paintEvent(QPaintEvent* /*event*/) {
    ++paints_;
    QPainter painter(viewport());
    const int height = RowHeight();
    const int ascent = fontMetrics().ascent();
    const int left = 2 - horizontalScrollBar()->value();
    const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
    const std::size_t end =
        std::min(scrollback_.RowCount(), first + static_cast<std::size_t>(VisibleRowCount()) + 1);
    const QColor text = palette().color(QPalette::Text);
    for (std::size_t i = first; i < end; ++i) {
        const TrafficRow& row = scrollback_.Row(i);
        painter.setPen(row.skipped > 0                ? kSkippedColor
                       : row.way == TrafficWay::kSent ? kSentColor
                                                      : text);
        const int y = static_cast<int>(i - first) * height + ascent;
        painter.drawText(left, y, QString::fromStdString(scrollback_.RowText(i, timestamps_)));
    }
}
