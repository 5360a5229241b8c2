// Creates a dialog's controls from its template: kind, label, geometry in dialog units,
// states at creation, radio groups and the tab order of the tab stops.
#pragma once

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <map>

#include "dialog_template.h"

class QComboBox;

// Dialog units to pixels, as the Windows dialog manager maps them: the base units are the
// dialog font's average character width and its height; x px = du * width / 4,
// y px = du * height / 8, each rounded to the nearest pixel. A rectangle's position and size
// are mapped each on its own.
struct DialogBaseUnits {
    int width = 0;
    int height = 0;

    static DialogBaseUnits Of(const QFont& font);

    int ToPixelsX(int du) const { return (du * width + 2) / 4; }
    int ToPixelsY(int du) const { return (du * height + 4) / 8; }
    QRect ToPixels(const DialogRect& rect) const;
    QSize ToPixels(int widthDu, int heightDu) const;
};

// A push button with the notify style: a double click is reported as such (the Qt button
// would report a second click instead).
class SlotButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// Makes the widget for a control the builder should not make itself; nullptr: the default.
using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

// Control ID -> widget, for every control that has an ID.
using ControlMap = std::map<int, QWidget*>;

// The property each widget carries with its control ID (also its object name).
inline constexpr const char* kControlIdProperty = "controlId";

// Sets a dialog window up from its template: the application font at the template's point
// size, the caption and the fixed size. Returns the base units of that font.
DialogBaseUnits SetUpDialogWindow(QWidget* dialog, const DialogTemplate& dialogTemplate);

ControlMap BuildControls(QWidget* dialog, const DialogTemplate& dialogTemplate,
                         const DialogBaseUnits& units, const ControlFactory& factory = {});

// Makes `list` editable as setEditable(true) does, without building its drop-down list first:
// the combo box builds that when the list first opens, as the list of a box that is not
// editable. A third of what an editable combo box costs to build.
void MakeEditable(QComboBox* list);

// Adds list entries the way the dialog's lists are filled: in order, selecting none.
void AddListEntries(QComboBox* list, const QStringList& entries);

// Applies dialog initialisation records (combo-box strings) to the built controls.
void ApplyDialogInit(const ControlMap& controls);
