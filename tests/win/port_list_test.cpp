// The Win32 port list: what the system reports through the ports class and SERIALCOMM (given by
// the test, as the Linux suites give a fake sysfs tree, or wine's own COM ports), COM1 … COM16
// besides, and hot-plug through WM_DEVICECHANGE.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <cstdlib>
#include <memory>

#include "control_ids.h"
#include "dialog_template_win32.h"
#include "exchange_controls.h"
#include "exchange_feedback.h"
#include "qn7_setuptool_dlg_win32.h"
#include "text_win32.h"
#include "win_dialog_driver.h"

namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class WinPortList : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { LoadControlLibraries(); }
    void SetUp() override {
        sources->serialComm = {{"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", "COM5"}};
        sources->portsClass = {{"COM5", "USB-SERIAL CH340 (COM5)"}};
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
    }

    void Open(bool systemPorts = false) {
        if (!systemPorts) {
            dialog.PortList().SetSource([this] {
                ++listings;
                return *sources;
            });
        }
        window = dialog.Create();
        ASSERT_NE(window, nullptr) << GetLastError();
        PumpMessages();
    }

    HWND List() const { return GetDlgItem(window, ctl::kComPortList); }
    int Count() const { return static_cast<int>(SendMessageW(List(), CB_GETCOUNT, 0, 0)); }
    int Selection() const { return static_cast<int>(SendMessageW(List(), CB_GETCURSEL, 0, 0)); }
    std::string Entry(int index) const {
        wchar_t text[64] = {};
        SendMessageW(List(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        return Narrow(text);
    }
    int IndexOf(const std::string& port) const {
        for (int i = 0; i < Count(); ++i) {
            if (Entry(i) == port) return i;
        }
        return -1;
    }
    std::string Field() const { return Narrow(WideText(List())); }
    std::string Log() const { return dialog.LogPane().Text(); }
    std::string Port() { return dialog.Shell().Link().port; }

    void Choose(int index) {
        SendMessageW(List(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(ctl::kComPortList, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(List()));
    }
    // What Windows sends every top-level window when a COM port comes or goes.
    void AnnouncePort(WPARAM event, const wchar_t* port) {
        struct {
            DEV_BROADCAST_PORT_W header;
            wchar_t name[16];
        } notice{};
        notice.header.dbcp_size = sizeof notice;
        notice.header.dbcp_devicetype = DBT_DEVTYP_PORT;
        wcscpy(notice.header.dbcp_name, port);
        SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&notice));
    }
    bool LogHas(const std::string& line) {
        return PumpUntil([&] { return Contains(Log(), line); }, std::chrono::seconds(20));
    }

    std::shared_ptr<WindowsPortSources> sources = std::make_shared<WindowsPortSources>();
    int listings = 0;
    CQN7_SETUPTOOLDlg dialog;
    HWND window = nullptr;
};

TEST_F(WinPortList, PresentPortsSayWhatTheyAreAndPortsBeyondCom16AreAdded) {
    sources->serialComm.push_back({"\\Device\\USBSER000", "COM17"});
    sources->portsClass.push_back({"COM17", "USB Serial Device (COM17)"});
    Open();
    ASSERT_EQ(Count(), 17);
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(Entry(n - 1), "COM" + std::to_string(n));
    EXPECT_EQ(Entry(16), "COM17");
    // The drop-down draws each port with what it is; the entries and the field hold the port.
    EXPECT_EQ(dialog.PortList().EntryLabel(0), "COM1 \u2014 serial port");
    EXPECT_EQ(dialog.PortList().EntryLabel(4), "COM5 \u2014 USB-SERIAL CH340");
    EXPECT_EQ(dialog.PortList().EntryLabel(10), "COM11");
    EXPECT_EQ(dialog.PortList().EntryLabel(16), "COM17 \u2014 USB Serial Device");
    EXPECT_EQ(Selection(), 10);  // the list starts on COM11, present or not
    EXPECT_EQ(Field(), "COM11");
    EXPECT_EQ(Port(), "COM11");

    // Wide enough for the longest entry, and the lists' own heights.
    EXPECT_GT(SendMessageW(List(), CB_GETDROPPEDWIDTH, 0, 0), [&] {
        RECT box;
        GetWindowRect(List(), &box);
        return box.right - box.left;
    }());
    HWND baudList = GetDlgItem(window, ctl::kUartBaud);
    EXPECT_EQ(SendMessageW(List(), CB_GETITEMHEIGHT, 0, 0),
              SendMessageW(baudList, CB_GETITEMHEIGHT, 0, 0));
    RECT ports, bauds;
    GetWindowRect(List(), &ports);
    GetWindowRect(baudList, &bauds);
    EXPECT_EQ(ports.bottom - ports.top, bauds.bottom - bauds.top);

    Choose(16);
    EXPECT_EQ(Port(), "COM17");
    PumpMessages();
    EXPECT_EQ(Field(), "COM17");
    EXPECT_EQ(Narrow(WideText(GetDlgItem(window, kStatusId))), StatusText("COM17", 115200));
}

TEST_F(WinPortList, HotPlugUpdatesTheListKeepsThePortInUseAndLogsIt) {
    Open();
    Choose(4);  // COM5, the CH340
    ASSERT_EQ(Port(), "COM5");

    sources->serialComm.push_back({"\\Device\\USBSER000", "COM17"});
    sources->portsClass.push_back({"COM17", "USB Serial Device (COM17)"});
    AnnouncePort(DBT_DEVICEARRIVAL, L"COM17");
    ASSERT_TRUE(LogHas("(:Port added: COM17 \u2014 USB Serial Device\r\n")) << Log();
    EXPECT_EQ(Count(), 17);
    EXPECT_EQ(Entry(Selection()), "COM5");
    EXPECT_EQ(Field(), "COM5");
    EXPECT_EQ(Port(), "COM5");

    // COM5 goes: it stays in the list, now without a description, and stays selected.
    sources->serialComm.erase(sources->serialComm.begin() + 1);
    sources->portsClass.erase(sources->portsClass.begin());
    AnnouncePort(DBT_DEVICEREMOVECOMPLETE, L"COM5");
    ASSERT_TRUE(LogHas("(:Port removed: COM5 \u2014 USB-SERIAL CH340\r\n")) << Log();
    EXPECT_EQ(dialog.PortList().EntryLabel(4), "COM5");
    EXPECT_EQ(Entry(Selection()), "COM5");

    // The port in use beyond COM16 goes: the field keeps it until it comes back.
    Choose(16);
    ASSERT_EQ(Port(), "COM17");
    const auto saved = *sources;
    sources->serialComm.pop_back();
    sources->portsClass.pop_back();
    AnnouncePort(DBT_DEVICEREMOVECOMPLETE, L"COM17");
    ASSERT_TRUE(LogHas("(:Port removed: COM17 \u2014 USB Serial Device\r\n")) << Log();
    EXPECT_EQ(Count(), 16);
    EXPECT_EQ(Selection(), CB_ERR);
    EXPECT_EQ(Field(), "COM17");
    EXPECT_EQ(Port(), "COM17");
    *sources = saved;
    AnnouncePort(DBT_DEVICEARRIVAL, L"COM17");
    ASSERT_TRUE(PumpUntil([&] { return Count() == 17; }));
    EXPECT_EQ(Entry(Selection()), "COM17");
    EXPECT_EQ(Port(), "COM17");
}

TEST_F(WinPortList, ATypedPortOutlivesARefreshAndIsPickedWhenItArrives) {
    Open();
    HWND field = GetWindow(List(), GW_CHILD);
    ASSERT_NE(field, nullptr);
    TypeText(field, L"COM30");
    SendMessageW(window, WM_COMMAND, IDOK, 0);  // Enter, as the dialog manager passes it on
    ASSERT_TRUE(IsWindow(window));
    ASSERT_EQ(Port(), "COM30");

    sources->serialComm.push_back({"\\Device\\Serial29", "COM30"});
    AnnouncePort(DBT_DEVICEARRIVAL, L"COM30");
    ASSERT_TRUE(LogHas("(:Port added: COM30 \u2014 serial port\r\n")) << Log();
    EXPECT_EQ(Entry(Selection()), "COM30");
    EXPECT_EQ(Port(), "COM30");
}

TEST_F(WinPortList, NoticesOfOtherDevicesLeaveTheListAlone) {
    Open();
    const int before = listings;
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1 << 3;
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume));
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    PumpMessages(600);  // twice the settling time
    EXPECT_EQ(listings, before);
    EXPECT_EQ(Log(), "");
}

// Wine's own COM ports, as its registry's SERIALCOMM lists them: the cross build's script puts
// simulated modules on some, one of them beyond COM16 (QN7_WIN_HIGH_PORT).
TEST_F(WinPortList, WinesOwnPortsAreListedAndOneBeyondCom16IsSearched) {
    const char* high = std::getenv("QN7_WIN_HIGH_PORT");
    if (!high) GTEST_SKIP() << "QN7_WIN_HIGH_PORT names no simulated module";
    Open(true);
    const int index = IndexOf(high);
    ASSERT_GT(index, 15) << high;
    EXPECT_EQ(dialog.PortList().EntryLabel(static_cast<size_t>(index)),
              std::string(high) + " \u2014 serial port");
    Choose(index);
    ASSERT_EQ(Port(), high);
    ClickControl(GetDlgItem(window, ctl::kSearch));
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Shell().Runner().Busy(); }));
    EXPECT_TRUE(Contains(Log(), "(:Found Device at " + std::string(high) + "(115200)!\r\n"))
        << Log();
}

}  // namespace
