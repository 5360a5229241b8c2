#include "dialog_form_win32.h"

#include <commctrl.h>

#include <cstdlib>

#include "at_text.h"
#include "control_ids.h"
#include "form_schema.h"
#include "port_combo_win32.h"
#include "text_win32.h"

std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

LRESULT DialogForm::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageW(dialog_, id, message, wParam, lParam);
}

bool DialogForm::IsAddress(int id) const {
    const FormField* field = FindFormField(id);
    return field && field->kind == FieldKind::kAddress;
}

bool DialogForm::IsChecked(int id) const {
    return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

std::string DialogForm::GetText(int id) const {
    if (IsAddress(id)) {
        DWORD address = 0;  // a blank control leaves it 0: "0.0.0.0"
        Send(id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        return FormatIPv4(address);
    }
    return WindowText(GetDlgItem(dialog_, id));
}

int DialogForm::GetSelectedIndex(int id) const {
    return static_cast<int>(Send(id, CB_GETCURSEL));
}

std::string DialogForm::ListEntry(int id, int index) const {
    const LRESULT length = Send(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    Send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
}

std::string DialogForm::GetSelectedText(int id) const {
    const int index = GetSelectedIndex(id);
    return index < 0 ? std::string() : ListEntry(id, index);
}

void DialogForm::SetText(int id, std::string_view text) {
    if (!IsAddress(id)) {
        // Raises EN_CHANGE, the edit's change notification.
        SetDlgItemTextW(dialog_, id, Widen(text).c_str());
        return;
    }
    const std::array<std::string, 4> fields = AddressFields(text);
    if (fields[0].empty()) {
        Send(id, IPM_CLEARADDRESS);
        return;
    }
    BYTE values[4];
    for (int i = 0; i < 4; ++i) values[i] = static_cast<BYTE>(std::atoi(fields[i].c_str()));
    Send(id, IPM_SETADDRESS, 0,
         static_cast<LPARAM>(MAKEIPADDRESS(values[0], values[1], values[2], values[3])));
}

void DialogForm::SetCheck(int id, bool checked) {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void DialogForm::Enable(int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog_, id), enabled);
}

void DialogForm::SelectIndex(int id, int index) {
    Send(id, CB_SETCURSEL, static_cast<WPARAM>(index));
}

void DialogForm::SelectByPrefix(int id, std::string_view prefix) {
    const int count = static_cast<int>(Send(id, CB_GETCOUNT));
    const int found = FindListEntry(
        count, [&](int index) { return StartsWithNoCase(ListEntry(id, index), prefix); });
    if (found >= 0) SelectIndex(id, found);
}

void DialogForm::FillList(int id, std::span<const char* const> entries) {
    if (id == ctl::kComPortList && ports_) {
        ports_->Refresh();
        return;
    }
    for (const char* entry : entries) {
        Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
    }
}
