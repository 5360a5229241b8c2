// A group box drawn as the Windows dialog manager draws one: an etched frame whose top line
// runs through the middle of the title, with the title on the dialog's background over the
// line. The template's rectangles are laid out for that look.
#pragma once

#include <QGroupBox>

class GroupBoxFrame : public QGroupBox {
    Q_OBJECT
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};
