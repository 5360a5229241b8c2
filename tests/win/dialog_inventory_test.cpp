// The main dialog as the Windows dialog manager builds it from the in-memory template: every
// control of the template with its class, label, states, groups and tab order.
#include <gtest/gtest.h>

#include "control_ids.h"
#include "dialog_template_win32.h"

namespace {

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class WinDialogInventory : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { LoadControlLibraries(); }
    void SetUp() override {
        block_ = BuildDialogTemplate(kMainDialogTemplate, 0, WS_EX_APPWINDOW);
        dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(block_.data()),
                                             nullptr, TestDialogProc, 0);
        ASSERT_NE(dialog_, nullptr) << GetLastError();
    }
    void TearDown() override { DestroyWindow(dialog_); }

    std::vector<DWORD> block_;
    HWND dialog_ = nullptr;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

TEST_F(WinDialogInventory, EveryAddressedControlHasItsClassLabelAndStates) {
    for (const ControlTemplate& c : kMainDialogTemplate.controls) {
        if (c.id == kStaticId) continue;
        SCOPED_TRACE(c.id);
        HWND control = GetDlgItem(dialog_, c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), ControlClassName(c.kind).c_str()), 0);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        EXPECT_EQ((style & WS_VISIBLE) != 0, !c.Has(kHidden));
        EXPECT_EQ((style & WS_DISABLED) != 0, c.Has(kDisabled));
        EXPECT_EQ((style & WS_TABSTOP) != 0, c.Has(kTabStop));
        EXPECT_EQ((style & WS_GROUP) != 0, c.Has(kGroup));
        if (c.label && c.kind != ControlKind::kComboBox) {
            EXPECT_EQ(TextOf(control), Widen(c.label));
        }
    }
    EXPECT_EQ(TextOf(GetDlgItem(dialog_, ctl::kSubmit)), L"\u63d0\u4ea4\u914d\u7f6e");
    EXPECT_EQ(TextOf(dialog_), L"ZOV-QN7_CONFIG By Qn7 Tools");
}

TEST_F(WinDialogInventory, StaticTextsAndGroupBoxesCountAsTheTemplateSays) {
    int children = 0;
    for (HWND w = GetWindow(dialog_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, static_cast<int>(kMainDialogTemplate.controls.size()));
}

TEST_F(WinDialogInventory, TabOrderStartsAtSubmitAndSkipsRadiosAndHiddenControls) {
    const int expected[] = {1014, 1015, 1005, 1000, 1007, 1008, 1009, 1010, 1017, 1018, 1019,
                            1021, 1022, 1023, 1024, 1048, 1050, 1051, 1052, 1053, 1059, 1065,
                            1060, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074, 1075};
    HWND first = GetNextDlgTabItem(dialog_, nullptr, FALSE);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetDlgCtrlID(first), ctl::kSubmit);
    HWND item = first;
    for (int id : expected) {
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(GetDlgCtrlID(item), id);
        item = GetNextDlgTabItem(dialog_, item, FALSE);
    }
    EXPECT_EQ(item, first);  // round again
}

TEST_F(WinDialogInventory, AutoRadioClickChecksOnlyWithinItsGroup) {
    SendDlgItemMessageW(dialog_, ctl::kTcpServer, BM_CLICK, 0, 0);
    SendDlgItemMessageW(dialog_, ctl::kModeStation, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, ctl::kModeStation), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, ctl::kTcpServer), BST_CHECKED);
    SendDlgItemMessageW(dialog_, ctl::kModeAp, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, ctl::kModeStation), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, ctl::kTcpServer), BST_CHECKED);
}

}  // namespace
