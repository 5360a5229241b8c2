#include "screen_fit.h"

#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

QScrollArea* FitIntoArea(QWidget& dialog, const QSize& available) {
    const QSize full = dialog.size();
    if (full.width() <= available.width() && full.height() <= available.height()) return nullptr;
    const QList<QWidget*> controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);

    auto* scroller = new QScrollArea(&dialog);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    auto* page = new QWidget;
    page->setFixedSize(full);
    scroller->setWidget(page);
    // Reparented within the same window, in stacking order: the tab order and the frames
    // beneath their controls stay as they were.
    for (QWidget* control : controls) {
        if (control->isWindow()) continue;
        const bool hidden = control->isHidden();
        control->setParent(page);
        control->setHidden(hidden);
    }
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
    dialog.setFixedSize(full.boundedTo(available));
    return scroller;
}

QSize AvailableAreaFor(const QWidget& dialog) {
    const QScreen* screen = dialog.screen();
    if (screen == nullptr) return dialog.size();
    const int titleBar = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return screen->availableSize() - QSize(0, titleBar);
}
