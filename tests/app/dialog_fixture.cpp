#include "dialog_fixture.h"

#include "message_boxes.h"

RecordedBoxes::RecordedBoxes(bool answerYes) : answer(answerYes) {
    SetQuestionFunction([this](const QString& caption, const QString& text) {
        questions << caption + QLatin1Char('|') + text;
        return answer;
    });
    SetErrorBoxFunction([this](const QString& caption, const QString& text) {
        errors << caption + QLatin1Char('|') + text;
        if (whileErrorShown) whileErrorShown();
    });
}

RecordedBoxes::~RecordedBoxes() {
    SetQuestionFunction({});
    SetErrorBoxFunction({});
}
