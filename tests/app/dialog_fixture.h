// Shared helpers of the dialog suites: widget lookup by control ID and recorded message boxes.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "message_boxes.h"
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
    explicit RecordedBoxes(bool answerYes = false) : answer(answerYes) {
        SetQuestionFunction([this](const QString& caption, const QString& text) {
            questions << caption + QLatin1Char('|') + text;
            return answer;
        });
        SetErrorBoxFunction([this](const QString& caption, const QString& text) {
            errors << caption + QLatin1Char('|') + text;
            if (whileErrorShown) whileErrorShown();
        });
    }
    ~RecordedBoxes() {
        SetQuestionFunction({});
        SetErrorBoxFunction({});
    }
    RecordedBoxes(const RecordedBoxes&) = delete;
    RecordedBoxes& operator=(const RecordedBoxes&) = delete;

    QStringList questions;  // "caption|text"
    QStringList errors;     // "caption|text"
    bool answer;
    // Runs while an error box is up, as a user could act before dismissing it.
    std::function<void()> whileErrorShown;
};
