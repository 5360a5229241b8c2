#include "rich_edit_pane_win32.h"

#include <richedit.h>

void RichEditPane::Attach(HWND control) {
    control_ = control;
    // Enter stays in the pane instead of reaching the dialog's default button.
    SendMessageW(control_, EM_SETOPTIONS, ECOOP_XOR, ECO_WANTRETURN);
    // No word wrap: one shown line per pane line, and long reply lines scroll sideways.
    SendMessageW(control_, EM_SETTARGETDEVICE, 0, 1);
}

void RichEditPane::UseFixedWidthFont() {
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_FACE;
    lstrcpynW(format.szFaceName, L"Courier New", LF_FACESIZE);
    SendMessageW(control_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    // The text there and the insertion point, so appended text keeps the face too.
    SendMessageW(control_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

std::string RichEditPane::ShownText() const {
    GETTEXTLENGTHEX length{GTL_USECRLF | GTL_NUMBYTES | GTL_PRECISE, CP_UTF8};
    const auto bytes =
        SendMessageW(control_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::string text(static_cast<size_t>(bytes) + 1, '\0');
    GETTEXTEX get{static_cast<DWORD>(text.size()), GT_USECRLF, CP_UTF8, nullptr, nullptr};
    const auto copied = SendMessageW(control_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

void RichEditPane::ReplaceRange(LONG start, LONG end, const std::string& utf8) {
    CHARRANGE range{start, end};
    SendMessageW(control_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SETTEXTEX set{ST_SELECTION, CP_UTF8};
    SendMessageW(control_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                 reinterpret_cast<LPARAM>(utf8.c_str()));
}

void RichEditPane::OnCleared() {
    ReplaceRange(0, -1, {});
}

void RichEditPane::OnAppended(std::string_view text) {
    // The pane's text already ends with `text`; a CR just before it pairs with a leading LF.
    const std::string& all = Text();
    const std::size_t start = all.size() - text.size();
    const std::string shown = BreaksAsLf(text, start > 0 && all[start - 1] == '\r');
    if (shown.empty()) return;
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};  // UTF-16 units, breaks as one
    const auto end = static_cast<LONG>(
        SendMessageW(control_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    ReplaceRange(end, end, shown);
}

void RichEditPane::OnFrontRemoved(std::size_t /*bytes*/, int lines) {
    // Each line that went had its break, one character in the control, unless all went.
    if (Text().empty()) {
        OnCleared();
        return;
    }
    const auto end = SendMessageW(control_, EM_LINEINDEX, static_cast<WPARAM>(lines), 0);
    ReplaceRange(0, static_cast<LONG>(end), {});
}

void RichEditPane::OnScrollToBottom() {
    SendMessageW(control_, WM_VSCROLL, SB_BOTTOM, 0);
}
