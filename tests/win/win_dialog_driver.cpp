#include "win_dialog_driver.h"

#include <thread>

namespace {

// The timer procedure has no context argument: the answers of the one running AnswerBoxes.
struct BoxAnswers {
    HWND exclude = nullptr;  // the main dialog
    int button = IDOK;
    std::vector<SeenBox> seen;
};
BoxAnswers* g_answers = nullptr;

BOOL CALLBACK CollectStatic(HWND child, LPARAM lParam) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (_wcsicmp(name, L"Static") == 0) {
        auto* texts = reinterpret_cast<std::wstring*>(lParam);
        const std::wstring text = WideText(child);
        if (!text.empty()) *texts += (texts->empty() ? L"" : L"|") + text;
    }
    return TRUE;
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM /*lParam*/) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (window == g_answers->exclude || wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    SeenBox box{WideText(window), {}};
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&box.texts));
    g_answers->seen.push_back(box);
    // The box's own button, as a click on it; IDOK also closes a box without one.
    if (HWND button = GetDlgItem(window, g_answers->button)) {
        SendMessageW(button, BM_CLICK, 0, 0);
    } else {
        PostMessageW(window, WM_COMMAND, g_answers->button, 0);
    }
    return FALSE;
}

void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_answers) EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

LPARAM Middle(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    return MAKELPARAM(r.right / 2, r.bottom / 2);
}

}  // namespace

std::wstring WideText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void PumpMessages(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (root && IsDialogMessageW(root, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) PumpMessages(10);
    return done();
}

void ClickControl(HWND control) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, Middle(control));
    SendMessageW(control, WM_LBUTTONUP, 0, Middle(control));
}

void QueueClick(HWND control) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, Middle(control));
    PostMessageW(control, WM_LBUTTONUP, 0, Middle(control));
}

void DoubleClickControl(HWND control) {
    ClickControl(control);
    SendMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, Middle(control));
    SendMessageW(control, WM_LBUTTONUP, 0, Middle(control));
}

void TypeText(HWND control, const std::wstring& text) {
    // Over the control's text, selected as tabbing into it selects it.
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(control, WM_CHAR, c, 1);
}

std::vector<SeenBox> AnswerBoxes(HWND dialog, int button, const std::function<void()>& action) {
    BoxAnswers answers;
    answers.button = button;
    answers.exclude = dialog;
    g_answers = &answers;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnAnswerTimer);
    action();
    KillTimer(nullptr, timer);
    g_answers = nullptr;
    return answers.seen;
}
