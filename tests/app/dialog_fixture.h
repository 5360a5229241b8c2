// Shared helpers of the dialog suites: widget lookup by control ID and recorded message boxes.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "qn7_setuptool_dlg.h"

template <typename T>
T* ControlOf(const CQN7_SETUPTOOLDlg& dialog, int id) {
    T* widget = qobject_cast<T*>(dialog.Control(id));
    if (widget == nullptr) qFatal("control %d missing or of another kind", id);
    return widget;
}

// Replaces the question and error boxes for the lifetime of the object.
class RecordedBoxes {
  public:
    explicit RecordedBoxes(bool answer = false);
    ~RecordedBoxes();

    QStringList questions;  // "caption|text"
    QStringList errors;     // "caption|text"
    bool answer;
    // Runs while an error box is up, as a user could act before dismissing it.
    std::function<void()> whileErrorShown;
};
