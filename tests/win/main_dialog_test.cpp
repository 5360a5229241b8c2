// The real Win32 main dialog, driven by messages: its start-up state, the form's change
// handling, the slot buttons and their questions, the About box, and Search and Query against
// the simulated module on one of wine's COM ports (QN7_WIN_SIM_PORT, set by the cross build's
// script).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "control_ids.h"
#include "dialog_template_win32.h"
#include "exchange_controls.h"
#include "exchange_feedback.h"
#include "presets.h"
#include "qn7_setuptool_app_win32.h"
#include "resource_strings.h"
#include "text_win32.h"
#include "win_dialog_driver.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class WinMainDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { LoadControlLibraries(); }
    void SetUp() override {
        window = dialog.Create();
        ASSERT_NE(window, nullptr) << GetLastError();
        ShowWindow(window, SW_SHOW);
        PumpMessages();
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        if (!slots.empty()) fs::remove_all(slots);
    }

    HWND Item(int id) const { return GetDlgItem(window, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)); }
    bool Checked(int id) const { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
    std::string Text(int id) const { return Narrow(WideText(Item(id))); }
    std::string Cmd() const { return dialog.CmdPane().Text(); }
    std::string Log() const { return dialog.LogPane().Text(); }
    int Selection(int id) const {
        return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0));
    }
    std::string SelectedText(int id) const {
        wchar_t text[64] = {};
        SendMessageW(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(Selection(id)),
                     reinterpret_cast<LPARAM>(text));
        return Narrow(text);
    }
    // A pick in a drop-down list: the selection, then the notification the list sends.
    void Choose(int id, int index) {
        SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(id)));
    }
    void UseSlotFolder() {
        slots =
            fs::temp_directory_path() / ("qn7-win-slots-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(slots);
        fs::create_directories(slots);
        dialog.Shell().GetSession().SetSlotDirectory(slots);
    }
    std::string Slot(const char* name) const {
        std::ifstream in(slots / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool ExchangeRunning() { return dialog.Shell().Runner().Busy(); }

    CQN7_SETUPTOOLDlg dialog;
    HWND window = nullptr;
    fs::path slots;
};

// The modal dialog, as the program runs it: it opens with the focus on the first tab stop and
// ends with Escape (the dialog manager's IDCANCEL).
int g_modalFocus = 0;
// Only this thread's dialog: the suites run in parallel in one wine desktop, and a search of
// the whole desktop could find, and end, another process's dialog of the same caption.
BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (wcscmp(name, L"#32770") != 0 || WideText(window) != L"ZOV-QN7_CONFIG By Qn7 Tools")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
void CALLBACK EndModalDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    g_modalFocus = GetDlgCtrlID(GetFocus());
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST(WinModalDialog, OpensWithTheFocusOnSubmitAndEndsWithEscape) {
    LoadControlLibraries();
    CQN7_SETUPTOOLDlg dialog;
    SetTimer(nullptr, 0, 50, EndModalDialog);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(g_modalFocus, ctl::kSubmit);
}

// Without Windows Sockets 1.1 the program says so in a box captioned with its name and ends
// without opening the dialog.
TEST(WinProgram, SocketsThatDoNotStartGetString103AndNoDialog) {
    CQN7_SETUPTOOLApp app([] { return false; });
    bool result = true;
    const std::vector<SeenBox> boxes =
        AnswerBoxes(nullptr, IDOK, [&] { result = app.InitInstance(); });
    EXPECT_FALSE(result);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, ProgramName());
    EXPECT_EQ(boxes[0].texts, Widen(LoadResourceString(kIdpSocketsInitFailed)));
}

TEST_F(WinMainDialog, StartsOnTheFirstPresetApplied) {
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), ctl::kSubmit);
    EXPECT_EQ(Cmd(), FirstPresetScript());
    EXPECT_EQ(dialog.CmdPane().ShownText(), FirstPresetScript());  // CR LF as shown
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(Checked(ctl::kModeEthernet));
    EXPECT_TRUE(Checked(ctl::kDhcp));
    for (int id : {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns}) {
        EXPECT_TRUE(SendMessageW(Item(id), IPM_ISBLANK, 0, 0)) << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }
    for (int id : {ctl::kSsid, ctl::kKey}) {
        EXPECT_EQ(Text(id), "") << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Enabled(ctl::kEncryption));
    EXPECT_EQ(Selection(ctl::kEncryption), CB_ERR);
    EXPECT_TRUE(Checked(ctl::kTcpServer));
    EXPECT_EQ(Text(ctl::kRemoteIp), "192.168.11.245");
    EXPECT_FALSE(Enabled(ctl::kRemoteIp));
    EXPECT_EQ(Text(ctl::kRemotePort), "8080");
    EXPECT_EQ(Text(ctl::kLocalPort), "");
    EXPECT_FALSE(Enabled(ctl::kLocalPort));
    EXPECT_EQ(SelectedText(ctl::kUartBaud), "115200");
    EXPECT_EQ(SelectedText(ctl::kDataBits), "8");
    EXPECT_EQ(SelectedText(ctl::kParity), "NONE");
    EXPECT_EQ(SelectedText(ctl::kStopBits), "1");
}

TEST_F(WinMainDialog, ListsLinkAndInitialisationData) {
    const std::pair<int, int> counts[] = {{ctl::kEncryption, 10}, {ctl::kUartBaud, 9},
                                          {ctl::kDataBits, 4},    {ctl::kStopBits, 2},
                                          {ctl::kParity, 3},      {ctl::kLinkBaudList, 15}};
    for (auto [id, count] : counts) {
        EXPECT_EQ(SendMessageW(Item(id), CB_GETCOUNT, 0, 0), count) << id;
    }
    // COM1 … COM16, then the ports present beyond them.
    ASSERT_GE(SendMessageW(Item(ctl::kComPortList), CB_GETCOUNT, 0, 0), 16);
    for (int n = 1; n <= 16; ++n) {
        wchar_t entry[16] = {};
        SendMessageW(Item(ctl::kComPortList), CB_GETLBTEXT, static_cast<WPARAM>(n - 1),
                     reinterpret_cast<LPARAM>(entry));
        EXPECT_EQ(Narrow(entry), "COM" + std::to_string(n));
    }
    EXPECT_EQ(SelectedText(ctl::kComPortList), "COM11");
    EXPECT_EQ(SelectedText(ctl::kLinkBaudList), "115200");
    EXPECT_EQ(dialog.Shell().Link().port, "COM11");
    EXPECT_EQ(dialog.Shell().Link().baud, 115200u);
    // The template's initialisation records, one entry each.
    for (auto [id, entry] : {std::pair{ctl::kHiddenList1, "rrrrrrr"}, {ctl::kHiddenList2, "xx"}}) {
        EXPECT_EQ(SendMessageW(Item(id), CB_GETCOUNT, 0, 0), 1) << id;
        SendMessageW(Item(id), CB_SETCURSEL, 0, 0);
        EXPECT_EQ(SelectedText(id), entry);
    }
    Choose(ctl::kComPortList, 0);
    EXPECT_EQ(dialog.Shell().Link().port, "COM1");
    EXPECT_EQ(Text(kStatusId), StatusText("COM1", 115200));
    Choose(ctl::kComPortList, 15);
    EXPECT_EQ(dialog.Shell().Link().port, "COM16");
    EXPECT_FALSE(GetWindowLongW(Item(kStopId), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(Item(kProgressId), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(WinMainDialog, SystemMenuEndsWithTheAboutItemThatOpensTheAboutBox) {
    HMENU menu = GetSystemMenu(window, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), kAboutCommandId);
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
    EXPECT_EQ(Narrow(text), kAboutBoxText);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    const std::vector<SeenBox> boxes =
        AnswerBoxes(window, IDOK, [&] { SendMessageW(window, WM_SYSCOMMAND, kAboutCommandId, 0); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"About ZOV-QN7_CONFIG ");
    EXPECT_NE(boxes[0].texts.find(L"QN7_Config Version 1.6"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(WinMainDialog, LogPaneKeepsCourierNewForTextAppendedLater) {
    dialog.Shell().GetSession().AppendLog(">:at\r\n");
    dialog.Shell().GetSession().AppendLog("(:later\r\n");
    HWND pane = Item(ctl::kLogPane);
    SendMessageW(pane, EM_SETSEL, 8, 9);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, L"Courier New");
    EXPECT_EQ(dialog.LogPane().ShownText(), ">:at\r\n(:later\r\n");
}

TEST_F(WinMainDialog, TypingInTheSsidRecomposesAndAWorkModeClickReapplies) {
    ClickControl(Item(ctl::kModeStation));
    EXPECT_TRUE(Checked(ctl::kModeStation));
    EXPECT_FALSE(Checked(ctl::kModeEthernet));
    EXPECT_TRUE(Cmd().starts_with("at+netmode=2\r\n")) << Cmd();
    ASSERT_TRUE(Enabled(ctl::kSsid));  // reapplied: the station's fields are open
    TypeText(Item(ctl::kSsid), L"Lab");
    EXPECT_EQ(Text(ctl::kSsid), "Lab");
    EXPECT_TRUE(Contains(Cmd(), "at+wifi_conf=Lab,")) << Cmd();
    EXPECT_EQ(Cmd(), dialog.Shell().GetSession().Script());
    EXPECT_EQ(GetFocus(), Item(ctl::kSsid));  // the edit typed in is not rewritten

    ClickControl(Item(ctl::kModeAp));
    EXPECT_TRUE(Cmd().starts_with("at+netmode=3\r\n")) << Cmd();
    EXPECT_FALSE(Enabled(ctl::kDhcp));
    ClickControl(Item(ctl::kUdpClient));
    EXPECT_TRUE(Enabled(ctl::kLocalPort));
    EXPECT_TRUE(Contains(Cmd(), "at+mode=client\r\n")) << Cmd();
}

TEST_F(WinMainDialog, AnAddressFieldChangeRecomposes) {
    ClickControl(Item(ctl::kDhcp));  // static address: the address fields open
    EXPECT_FALSE(Checked(ctl::kDhcp));
    ASSERT_TRUE(Enabled(ctl::kLocalIp));
    HWND firstField = GetWindow(Item(ctl::kLocalIp), GW_CHILD);
    ASSERT_NE(firstField, nullptr);
    // Three digits fill the first field and move on: the field-changed notification.
    TypeText(firstField, L"172");
    EXPECT_EQ(Narrow(WideText(Item(ctl::kLocalIp))), "172.0.0.0");
    EXPECT_TRUE(Contains(Cmd(), "at+net_ip=172.")) << Cmd();
    EXPECT_EQ(Cmd(), dialog.Shell().GetSession().Script());
}

TEST_F(WinMainDialog, SlotButtonsLoadSaveAndAskFirst) {
    UseSlotFolder();
    ClickControl(Item(ctl::kUser0 + 1));  // no slot yet: the pane stays, the log says so
    EXPECT_EQ(Cmd(), FirstPresetScript());
    EXPECT_TRUE(Contains(Log(), SlotMissingLogText((slots / "user1").string()))) << Log();
    DoubleClickControl(Item(ctl::kUser0 + 1));  // loads nothing, then saves the pane
    EXPECT_EQ(Slot("user1"), FirstPresetScript());

    ClickControl(Item(ctl::kPresetAp));  // hidden, but its action is there
    std::vector<SeenBox> asked =
        AnswerBoxes(window, IDNO, [&] { ClickControl(Item(ctl::kSave3)); });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, L"Save");
    EXPECT_NE(asked[0].texts.find(L"Save current config to user3?"), std::wstring::npos);
    EXPECT_FALSE(fs::exists(slots / "user3"));
    asked = AnswerBoxes(window, IDYES, [&] { ClickControl(Item(ctl::kSave3)); });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(Slot("user3"), kPresets[4].script);
    EXPECT_TRUE(Contains(Log(), SlotSavedLogText((slots / "user3").string(),
                                                 std::string(kPresets[4].script).size())));

    ClickControl(Item(ctl::kUser0 + 1));
    EXPECT_EQ(Cmd(), FirstPresetScript());
    EXPECT_EQ(dialog.CmdPane().ShownText(), FirstPresetScript());
}

TEST_F(WinMainDialog, EnterInAFieldKeepsTheDialogAndEscapeEndsIt) {
    SetFocus(Item(ctl::kRemotePort));
    SendMessageW(window, WM_COMMAND, IDOK, 0);  // what the dialog manager makes of Enter
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);  // Escape
    EXPECT_FALSE(IsWindow(window));
}

// Minimised, the dialog is its icon: the window manager drags the program's icon group 128.
TEST_F(WinMainDialog, MinimisedDialogIsTheProgramIcon) {
    // The caption's minimise button, as the window manager reports it.
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PumpMessages(100);  // the minimised window's paint is served
    EXPECT_TRUE(IsIconic(window));
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIdrMainFrame));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_QUERYDRAGICON, 0, 0)), icon);
    SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(window));
}

// Escape during an exchange closes the window once the port is released; a click on a form
// field that arrives while it waits is not served.
TEST_F(WinMainDialog, ClickWhileClosingIsNotServed) {
    const char* port = std::getenv("QN7_WIN_SIM_PORT");
    if (!port) GTEST_SKIP() << "QN7_WIN_SIM_PORT names no simulated module";
    Choose(ctl::kComPortList, std::atoi(port + 3) - 1);
    // At 115200 the module (answering at another rate) stays silent: the scan waits its window.
    ClickControl(Item(ctl::kWifiScan));
    ASSERT_TRUE(ExchangeRunning());
    const std::string script = dialog.Shell().GetSession().Script();
    ASSERT_TRUE(IsWindowEnabled(Item(ctl::kModeAp)) && !Checked(ctl::kModeAp));

    // Keys reach the focused control, or the dialog when the disabled Scan button lost it.
    HWND focus = GetFocus();
    PostMessageW(focus ? focus : window, WM_KEYDOWN, VK_ESCAPE, 1);
    QueueClick(Item(ctl::kModeAp));
    PumpMessages();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(ExchangeRunning());
    EXPECT_EQ(dialog.Shell().GetSession().Script(), script);
}

TEST_F(WinMainDialog, MissingPortShowsTheErrorBoxAndTheButtonsComeBack) {
    Choose(ctl::kComPortList, 15);  // COM16: nothing there
    const std::vector<SeenBox> boxes = AnswerBoxes(window, IDOK, [&] {
        ClickControl(Item(ctl::kQuery));
        EXPECT_FALSE(Enabled(ctl::kQuery));
        EXPECT_TRUE(GetWindowLongW(Item(kStopId), GWL_STYLE) & WS_VISIBLE);
        ASSERT_TRUE(PumpUntil([&] { return !ExchangeRunning() && Enabled(ctl::kQuery); }));
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"ZOV-QN7 CONFIG");
    EXPECT_NE(boxes[0].texts.find(L"Unable to open COM-port"), std::wstring::npos);
    EXPECT_EQ(Text(kStatusId),
              StatusText("COM16", 115200, ExchangeKind::kQuery, ExchangeOutcome::kSerialError));
    EXPECT_EQ(Cmd(), FirstPresetScript());
    EXPECT_FALSE(GetWindowLongW(Item(kStopId), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(WinMainDialog, SearchThenQueryThroughTheComPort) {
    const char* port = std::getenv("QN7_WIN_SIM_PORT");
    if (!port) GTEST_SKIP() << "QN7_WIN_SIM_PORT names no simulated module";
    const int index = std::atoi(port + 3) - 1;  // "COM14": index 13
    Choose(ctl::kComPortList, index);
    ASSERT_EQ(dialog.Shell().Link().port, port);

    ClickControl(Item(ctl::kSearch));
    EXPECT_FALSE(Enabled(ctl::kSearch));
    ASSERT_TRUE(PumpUntil([&] { return !ExchangeRunning() && Enabled(ctl::kSearch); }));
    const uint32_t baud = dialog.Shell().Link().baud;
    EXPECT_NE(baud, 115200u);  // the script's module answers at another rate
    EXPECT_TRUE(Contains(
        Log(), "(:Found Device at " + std::string(port) + "(" + std::to_string(baud) + ")!\r\n"))
        << Log();
    EXPECT_EQ(Text(kStatusId),
              StatusText(port, baud, ExchangeKind::kSearch, ExchangeOutcome::kReplied));
    EXPECT_EQ(GetFocus(), Item(ctl::kSearch));  // back where the user was

    ClickControl(Item(ctl::kModeAp));
    ClickControl(Item(ctl::kQuery));
    ASSERT_TRUE(PumpUntil([&] { return !ExchangeRunning() && Enabled(ctl::kQuery); }));
    EXPECT_TRUE(Contains(Log(), ">:at+ver=?")) << Log();
    EXPECT_TRUE(Checked(ctl::kModeEthernet));  // the module's settings, applied
    EXPECT_FALSE(Checked(ctl::kModeAp));
    EXPECT_EQ(Text(ctl::kRemoteIp), "192.168.11.245");
    EXPECT_EQ(Cmd(), dialog.Shell().GetSession().Script());
    EXPECT_EQ(dialog.CmdPane().ShownText(), Cmd());
}

}  // namespace
