#include "port_combo_win32.h"

#include <algorithm>

#include "text_win32.h"

namespace {

constexpr int kTextPadding = 2;  // pixels left and right of an entry's text

// The text height of the font a window uses.
int FontHeight(HWND window) {
    HDC dc = GetDC(window);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return metrics.tmHeight;
}

std::wstring WindowTextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

void PortCombo::MeasureItem(HWND dialog, MEASUREITEMSTRUCT& item) {
    // The dialog's font, as the other lists: entries as high as its text, and the edit field
    // as high as theirs, which the combo box makes six pixels higher than what it is told.
    const int height = FontHeight(dialog);
    item.itemHeight = static_cast<UINT>(item.itemID == static_cast<UINT>(-1) ? height - 2 : height);
}

void PortCombo::Attach(HWND combo) {
    combo_ = combo;
}

PortChanges PortCombo::Refresh() {
    const std::wstring inUse = WindowTextOf(combo_);
    std::vector<SerialPortInfo> present = DescribeWindowsPorts(source_());
    PortChanges changes;
    if (present_) changes = ComparePortLists(*present_, present);
    present_ = present;
    entries_ = WindowsPortChoices(present);

    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const SerialPortInfo& entry : entries_) {
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry.path).c_str()));
    }
    FitDropDownWidth();
    if (!inUse.empty()) {
        const LRESULT index = SendMessageW(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(inUse.c_str()));
        if (index != CB_ERR) {
            SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        } else {
            SetWindowTextW(combo_, inUse.c_str());  // gone, or typed: it stays in the field
        }
    }
    return changes;
}

// As wide as the longest entry, however narrow the box, within the screen.
void PortCombo::FitDropDownWidth() {
    HDC dc = GetDC(combo_);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo_, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const SerialPortInfo& entry : entries_) {
        const std::wstring label = Widen(PortLabel(entry));
        SIZE size{};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(combo_, dc);
    RECT box{};
    GetWindowRect(combo_, &box);
    const int wanted = widest + 2 * kTextPadding + GetSystemMetrics(SM_CXVSCROLL) +
                       2 * GetSystemMetrics(SM_CXEDGE);
    const int width = std::min(wanted, GetSystemMetrics(SM_CXSCREEN));
    SendMessageW(combo_, CB_SETDROPPEDWIDTH,
                 static_cast<WPARAM>(std::max<int>(width, box.right - box.left)), 0);
}

std::string PortCombo::EntryLabel(size_t index) const {
    return index < entries_.size() ? PortLabel(entries_[index]) : std::string();
}

void PortCombo::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID >= entries_.size()) return;  // an empty list: nothing to draw
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(item.hDC, TRANSPARENT);
    RECT text = item.rcItem;
    text.left += kTextPadding;
    text.right -= kTextPadding;
    const std::wstring label = Widen(EntryLabel(item.itemID));
    DrawTextW(item.hDC, label.c_str(), static_cast<int>(label.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}
