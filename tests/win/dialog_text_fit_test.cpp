// Every text of the main dialog fits its control in the fonts the system gives the template's
// "MS Shell Dlg" 8: labels, button and group captions, the entries of every list in its box.
// The cross build runs it as a Chinese (PRC) Windows, for which the dialog was made.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "control_ids.h"
#include "dialog_template_win32.h"
#include "qn7_setuptool_dlg_win32.h"
#include "text_win32.h"
#include "win_dialog_driver.h"

namespace {

// The room the text's ink takes in the font the control draws with: its width without the
// blank after the last letter, and its height.
SIZE Extent(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    ABC last{};
    if (!text.empty() && GetCharABCWidthsW(dc, text.back(), text.back(), &last) && last.abcC > 0)
        box.right -= last.abcC;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {box.right, box.bottom};
}

class WinDialogTextFit : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { LoadControlLibraries(); }
    void SetUp() override {
        window = dialog.Create();
        ASSERT_NE(window, nullptr) << GetLastError();
        PumpMessages();
    }
    void TearDown() override { DestroyWindow(window); }

    // Each visible control of the template, with its text and the room it has.
    void ForEachVisible(const std::function<void(HWND, const ControlTemplate&)>& check) {
        for (HWND w = GetWindow(window, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            const int id = GetDlgCtrlID(w);
            if (!IsWindowVisible(w)) continue;
            for (const ControlTemplate& c : kMainDialogTemplate.controls) {
                const bool unaddressed = c.id == kStaticId && (id == -1 || id == 0xFFFF);
                if (c.id != id && !unaddressed) continue;
                if (c.label && WideText(w) != Widen(c.label)) continue;
                check(w, c);
                break;
            }
        }
    }

    CQN7_SETUPTOOLDlg dialog;
    HWND window = nullptr;
};

TEST_F(WinDialogTextFit, LabelsAndCaptionsFitTheirControls) {
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    int checked = 0;
    ForEachVisible([&](HWND control, const ControlTemplate& c) {
        if (!c.label || !*c.label) return;
        const std::wstring text = WideText(control);
        RECT client;
        GetClientRect(control, &client);
        const SIZE size = Extent(control, text);
        int room = client.right;
        switch (c.kind) {
            case ControlKind::kRadioButton:
            case ControlKind::kCheckBox:
                room -= check + 3;  // the box and its gap
                break;
            case ControlKind::kPushButton:
            case ControlKind::kDefaultPushButton:
                room -= 2 * GetSystemMetrics(SM_CXEDGE);
                break;
            case ControlKind::kGroupBox:
                room -= 2 * 6;  // the frame's corner before and after the caption
                break;
            default:
                break;
        }
        EXPECT_LE(size.cx, room) << Narrow(text) << " (" << c.id << ")";
        EXPECT_LE(size.cy, client.bottom) << Narrow(text) << " (" << c.id << ")";
        ++checked;
    });
    EXPECT_GT(checked, 40);
}

TEST_F(WinDialogTextFit, TheStartUpFormsFieldsShowTheirWholeText) {
    int checked = 0;
    ForEachVisible([&](HWND control, const ControlTemplate& c) {
        const std::wstring text = WideText(control);
        if (c.kind != ControlKind::kEdit || text.empty()) return;
        RECT client;
        GetClientRect(control, &client);
        const LRESULT margins = SendMessageW(control, EM_GETMARGINS, 0, 0);
        EXPECT_LE(Extent(control, text).cx, client.right - LOWORD(margins) - HIWORD(margins))
            << Narrow(text) << " (" << c.id << ")";
        ++checked;
    });
    EXPECT_EQ(checked, 2);  // the remote address and port of the first preset
}

TEST_F(WinDialogTextFit, EveryListEntryFitsItsBox) {
    int checked = 0;
    ForEachVisible([&](HWND control, const ControlTemplate& c) {
        if (c.kind != ControlKind::kComboBox) return;
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(control, &info));
        // The field: its edit's room within its margins.
        const LRESULT margins = SendMessageW(info.hwndItem, EM_GETMARGINS, 0, 0);
        const int room = info.rcItem.right - info.rcItem.left - LOWORD(margins) - HIWORD(margins);
        const int count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && i < 16; ++i) {
            wchar_t entry[64] = {};
            SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(entry));
            EXPECT_LE(Extent(control, entry).cx, room) << Narrow(entry) << " (" << c.id << ")";
            ++checked;
        }
        EXPECT_LE(Extent(control, L"0").cy, info.rcItem.bottom - info.rcItem.top) << c.id;
    });
    EXPECT_GT(checked, 40);
}

}  // namespace
