#include "slot_button.h"

#include <QMouseEvent>

void SlotButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QPushButton::mouseDoubleClickEvent(event);
    event->accept();
    emit doubleClicked();
}
