// A fixed-size dialog on a screen too small for it (150 % to 225 % scaling on a small screen):
// its controls move onto a page inside a scroll area that fills the screen's free area, so no
// control is pushed off-screen and each can be scrolled to.
#pragma once

#include <QSize>

class QScrollArea;
class QWidget;

// Does nothing and returns nullptr when the dialog fits `available`; otherwise the scroll area.
// Call once every control exists, before the dialog is shown.
QScrollArea* FitIntoArea(QWidget& dialog, const QSize& available);

// The free area of the dialog's screen, less the window's title bar.
QSize AvailableAreaFor(const QWidget& dialog);
