// Drives the real Win32 main dialog by messages, as a user's mouse and keys reach it: the
// dialog runs without a loop of its own and the suite serves its messages; message boxes that
// the dialog opens are answered from inside their own loop.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "qn7_setuptool_dlg_win32.h"

// Serves the thread's messages, the dialog's keys included, for about `ms`.
void PumpMessages(int ms = 0);
// Serves messages until `done` or `timeout`; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));

// A click of the left button in the middle of a control.
void ClickControl(HWND control);
// A click that has reached the thread's queue and waits to be served: the left button's down
// and up.
void QueueClick(HWND control);
// A double click: the down, up, double-click and up messages of the left button.
void DoubleClickControl(HWND control);
// Each character typed into the control, over its text (selected first, as the tab key does).
void TypeText(HWND control, const std::wstring& text);

// A dialog or message box of this thread that the dialog opened: its caption and the texts of
// its static controls, joined by "|".
struct SeenBox {
    std::wstring caption;
    std::wstring texts;
};

// Answers every box but `dialog` that opens while `action` runs by pressing `button` (IDYES,
// IDNO, IDOK) and returns what each box said.
std::vector<SeenBox> AnswerBoxes(HWND dialog, int button, const std::function<void()>& action);

std::wstring WideText(HWND window);
