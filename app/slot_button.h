// A push button with the notify style: a double click is reported as such (the Qt button
// would report a second click instead).
#pragma once

#include <QPushButton>

class SlotButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
