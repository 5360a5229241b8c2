#include "message_boxes.h"

#include <QMessageBox>

namespace {

QuestionFunction g_question;
ErrorBoxFunction g_errorBox;

}  // namespace

bool AskYesNo(const QString& caption, const QString& text) {
    if (g_question) return g_question(caption, text);
    return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void ShowErrorBox(const QString& text) {
    const QString caption = QString::fromLatin1(kErrorBoxCaption.data(),
                                                static_cast<qsizetype>(kErrorBoxCaption.size()));
    if (g_errorBox) return g_errorBox(caption, text);
    QMessageBox::critical(nullptr, caption, text);
}

void SetQuestionFunction(QuestionFunction function) {
    g_question = std::move(function);
}

void SetErrorBoxFunction(ErrorBoxFunction function) {
    g_errorBox = std::move(function);
}
