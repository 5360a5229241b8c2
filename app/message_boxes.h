// The program's message boxes, replaceable so the dialog can be driven headless.
#pragma once

#include <QString>
#include <functional>

#include "dialog_view.h"

using QuestionFunction = std::function<bool(const QString& caption, const QString& text)>;
using ErrorBoxFunction = std::function<void(const QString& caption, const QString& text)>;

// Yes/No question without an owner window; true for Yes.
bool AskYesNo(const QString& caption, const QString& text);
// Error box with the error icon and an OK button, caption kErrorBoxCaption.
void ShowErrorBox(const QString& text);

// Installs a replacement; an empty function restores the real boxes.
void SetQuestionFunction(QuestionFunction function);
void SetErrorBoxFunction(ErrorBoxFunction function);
