// Creates a dialog's controls from its template: kind, label, geometry in dialog units,
// states at creation, radio groups and the tab order of the tab stops.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "dialog_template.h"
#include "dialog_units.h"

class QComboBox;

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
