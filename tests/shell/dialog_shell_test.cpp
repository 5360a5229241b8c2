// The dialog's actions over the in-memory form, a fake user-interface thread and view, and the
// simulated module: each button's sequence as a front end drives it through Dispatch.
#include "dialog_shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "dialog_template.h"
#include "fake_front_end.h"
#include "form_model.h"
#include "form_schema.h"
#include "presets.h"
#include "script_form.h"
#include "serial_port.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

SimOptions Unpaced(uint32_t baud = 115200) {
    SimOptions options;
    options.baud = baud;
    options.pace = false;
    return options;
}

class DialogShellTest : public testing::Test {
  protected:
    void SetUp() override {
        // The form reports a user's changes as the dialog's widgets do.
        form.SetNotifyHandler([this](int id, Notify code) { shell.Dispatch(id, code); });
        shell.OnInitDialog(&cmdPane, &logPane);
    }

    void UseModule(SimModule& module) {
        ASSERT_EQ(module.Start(), 0);
        shell.Link().port = module.SlavePath();
    }
    void Click(int id) { ASSERT_TRUE(shell.Dispatch(id, Notify::kClicked)) << id; }
    // Serves the user-interface thread until the exchange has ended.
    void WaitForExchange() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (shell.Runner().Busy() && std::chrono::steady_clock::now() < end) {
            ui.RunPosted();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_FALSE(shell.Runner().Busy());
        ui.RunPosted();
    }
    bool ExchangeButtonsEnabled() const {
        for (int id : kExchangeButtons) {
            if (!view.IsEnabled(id)) return false;
        }
        return true;
    }

    MemoryPane cmdPane;
    MemoryPane logPane;
    FormModel form;
    RecordingView view;
    QueueUiThread ui;
    DialogShell shell{form, view, ui};
};

TEST(DispatchTableTest, OneRowPerControlAndCodeAndEveryFormFieldRouted) {
    std::set<std::pair<int, Notify>> rows;
    for (const DispatchEntry& entry : DialogShell::DispatchTable()) {
        EXPECT_TRUE(rows.insert({entry.id, entry.code}).second) << entry.id;
        EXPECT_NE(FindControl(kMainDialogTemplate, entry.id), nullptr) << entry.id;
        EXPECT_NE(entry.action, nullptr) << entry.id;
    }
    for (const FormField& field : kFormSchema) {
        EXPECT_TRUE(rows.count({field.id, field.change})) << field.id;
    }
    // Every push button but OK and Cancel has an action; nothing else clicks.
    for (const ControlTemplate& control : kMainDialogTemplate.controls) {
        if (control.kind != ControlKind::kPushButton || control.id == ctl::kCancel) continue;
        EXPECT_TRUE(rows.count({control.id, Notify::kClicked})) << control.id;
    }
    EXPECT_EQ(rows.size(), 25u + kFormSchema.size());
}

TEST_F(DialogShellTest, InitialisationFillsTheListsAndAppliesTheFirstPreset) {
    EXPECT_EQ(form.Entries(ctl::kParity), (std::vector<std::string>{"NONE", "ODD", "EVEN"}));
    EXPECT_EQ(form.Entries(ctl::kLinkBaudList).size(), 15u);
    EXPECT_EQ(form.GetSelectedText(ctl::kLinkBaudList), "115200");
    EXPECT_EQ(shell.Link().baud, 115200u);
    EXPECT_EQ(shell.Link().port, form.GetSelectedText(ctl::kComPortList));
    EXPECT_EQ(cmdPane.Text(), FirstPresetScript());
    EXPECT_TRUE(form.IsChecked(ctl::kModeEthernet));
    EXPECT_TRUE(shell.GetSession().Script().empty());  // no change handler ran
    EXPECT_TRUE(logPane.Text().empty());
}

TEST_F(DialogShellTest, FormChangesGoThroughTheFormRows) {
    form.Click(ctl::kModeAp);
    EXPECT_TRUE(cmdPane.Text().starts_with("at+netmode=3\r\n"));
    EXPECT_EQ(cmdPane.Text(), shell.GetSession().Script());
    EXPECT_FALSE(form.IsEnabled(ctl::kDhcp));  // reapplied
    form.SetText(ctl::kSsid, "Lab");
    EXPECT_TRUE(Contains(cmdPane.Text(), "at+wifi_conf=Lab,,\r\n"));
    form.Click(ctl::kUdpClient);
    EXPECT_TRUE(form.IsEnabled(ctl::kLocalPort));
}

TEST_F(DialogShellTest, PresetButtonsShowTheirScriptOnly) {
    for (const Preset& preset : kPresets) {
        Click(preset.buttonId);
        EXPECT_EQ(cmdPane.Text(), preset.script);
    }
    EXPECT_TRUE(form.IsChecked(ctl::kModeEthernet));  // the form is left alone
}

TEST_F(DialogShellTest, LinkListsSetThePortAndTheRate) {
    form.FillList(ctl::kComPortList, std::vector<const char*>{"/dev/ttyQN7a", "/dev/ttyQN7b"});
    form.Choose(ctl::kComPortList, 1);
    EXPECT_EQ(shell.Link().port, "/dev/ttyQN7b");
    form.Choose(ctl::kLinkBaudList, 10);
    EXPECT_EQ(shell.Link().baud, 56000u);
}

class DialogShellSlotTest : public DialogShellTest {
  protected:
    void SetUp() override {
        DialogShellTest::SetUp();
        shell.GetSession().SetSlotDirectory(dir);
    }
    std::string Slot(const char* name) const { return temp.Read(name); }

    TempDir temp{"qn7-shell-slots"};
    const fs::path& dir = temp.Path();
};

TEST_F(DialogShellSlotTest, ClickLoadsDoubleClickSavesAndSAsksFirst) {
    Click(ctl::kUser0 + 1);  // no slot yet: nothing changes
    EXPECT_EQ(cmdPane.Text(), FirstPresetScript());
    ASSERT_TRUE(shell.Dispatch(ctl::kUser0 + 1, Notify::kDoubleClicked));
    EXPECT_EQ(Slot("user1"), FirstPresetScript());
    EXPECT_TRUE(view.questions.empty());

    Click(ctl::kPresetAp);
    view.answer = false;
    Click(ctl::kSave3);
    EXPECT_EQ(view.questions, std::vector<std::string>{"Save|Save current config to user3?"});
    EXPECT_FALSE(fs::exists(dir / "user3"));
    view.answer = true;
    Click(ctl::kSave3);
    EXPECT_EQ(Slot("user3"), kPresets[4].script);

    Click(ctl::kUser0 + 1);
    EXPECT_EQ(cmdPane.Text(), FirstPresetScript());
}

TEST_F(DialogShellSlotTest, AMissingSlotAndASavedOneAreSaidInTheLog) {
    Click(ctl::kUser0 + 2);
    EXPECT_EQ(logPane.Text(), SlotMissingLogText((dir / "user2").string()));
    EXPECT_EQ(cmdPane.Text(), FirstPresetScript());
    logPane.Clear();
    view.answer = true;
    Click(ctl::kSave0 + 2);
    EXPECT_EQ(logPane.Text(), SlotSavedLogText((dir / "user2").string(), cmdPane.Text().size()));
    logPane.Clear();
    Click(ctl::kUser0 + 2);
    EXPECT_TRUE(logPane.Text().empty()) << logPane.Text();
}

TEST_F(DialogShellTest, SearchFindsTheRateWhileTheButtonsWait) {
    SimModule module(Unpaced(57600));
    UseModule(module);
    Click(ctl::kSearch);
    EXPECT_TRUE(shell.Runner().Busy());
    EXPECT_FALSE(ExchangeButtonsEnabled());
    WaitForExchange();
    EXPECT_TRUE(ExchangeButtonsEnabled());
    EXPECT_EQ(shell.Link().baud, 57600u);
    const std::string found = "(:Found Device at " + module.SlavePath() + "(57600)!\r\n";
    EXPECT_TRUE(Contains(logPane.Text(), found)) << logPane.Text();
    // The whole search's wait was announced, and the progress stopped at the end.
    EXPECT_EQ(view.progress, (std::vector<uint32_t>{900, 0}));
}

TEST_F(DialogShellTest, SubmitSendsTheCommandPaneByteForByte) {
    SimModule module(Unpaced());
    UseModule(module);
    Click(ctl::kPresetWifiStatic);
    Click(ctl::kSubmit);
    WaitForExchange();
    EXPECT_EQ(module.Received(), kPresets[3].script);
    EXPECT_TRUE(Contains(logPane.Text(), ">:at+netmode=2"));
}

TEST_F(DialogShellTest, QueryFillsTheFormAndShowsItRecomposed) {
    SimModule module(Unpaced());
    UseModule(module);
    form.Click(ctl::kModeAp);
    Click(ctl::kQuery);
    WaitForExchange();
    EXPECT_TRUE(form.IsChecked(ctl::kModeEthernet));
    EXPECT_FALSE(form.IsChecked(ctl::kModeAp));
    EXPECT_EQ(form.GetText(ctl::kRemoteIp), "192.168.11.245");
    EXPECT_EQ(cmdPane.Text(), ComposeScript(form));
    EXPECT_EQ(shell.GetSession().Script(), cmdPane.Text());
    EXPECT_TRUE(Contains(logPane.Text(), ">:at+ver=?"));
}

TEST_F(DialogShellTest, QueryWithoutReplyLeavesFormAndPaneAndSaysSo) {
    SimOptions options = Unpaced();
    options.fault = SimFault::kNoAnswer;
    SimModule module(options);
    UseModule(module);
    form.Click(ctl::kModeAp);
    const std::string pane = cmdPane.Text();
    Click(ctl::kQuery);
    WaitForExchange();
    EXPECT_TRUE(form.IsChecked(ctl::kModeAp));
    EXPECT_EQ(cmdPane.Text(), pane);
    EXPECT_TRUE(Contains(
        logPane.Text(), NoReplyLogText(ExchangeKind::kQuery, shell.Link().port, shell.Link().baud)))
        << logPane.Text();
    EXPECT_TRUE(view.errors.empty());
    EXPECT_TRUE(ExchangeButtonsEnabled());
}

TEST_F(DialogShellTest, ScanAndTransparentSendTheirCommands) {
    SimOptions options = Unpaced();
    options.scanDelayMs = 100;
    SimModule module(options);
    UseModule(module);
    Click(ctl::kWifiScan);
    WaitForExchange();
    EXPECT_EQ(module.Received(), "at+wifi_Scan=?\r\n");
    EXPECT_EQ(view.progress.front(), 46080000u / 115200 + 3600);
    module.ClearReceived();
    Click(ctl::kTransparent);
    WaitForExchange();
    EXPECT_EQ(module.Received(), kTransparentCommand);
    EXPECT_TRUE(module.Transparent());
}

// The front end's choice of fast windows travels with the link into the exchange: the scan's
// list is in after about 0.4 s, long before its fixed 4 s.
TEST_F(DialogShellTest, FastLinkEndsTheScanOnceTheListIsIn) {
    SimOptions options = Unpaced();
    options.scanDelayMs = 100;
    SimModule module(options);
    UseModule(module);
    shell.Link().fast = true;
    const auto start = std::chrono::steady_clock::now();
    Click(ctl::kWifiScan);
    WaitForExchange();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3500));
    EXPECT_TRUE(Contains(logPane.Text(), "ZOVRA")) << logPane.Text();
    EXPECT_EQ(view.progress.front(), 46080000u / 115200 + 3600);
}

TEST_F(DialogShellTest, FactoryResetAsksAndSendsOnlyOnYes) {
    SimModule module(Unpaced());
    UseModule(module);
    view.answer = false;
    Click(ctl::kFactoryReset);
    EXPECT_FALSE(shell.Runner().Busy());
    EXPECT_EQ(view.questions, std::vector<std::string>{"Save|Reset to Default Setting? "});
    view.answer = true;
    Click(ctl::kFactoryReset);
    EXPECT_TRUE(shell.Runner().Busy());
    WaitForExchange();
    EXPECT_EQ(module.Received(), kFactoryResetCommand);
}

TEST_F(DialogShellTest, MissingPortShowsOneErrorBoxAndLeavesThePanes) {
    shell.Link().port = "/dev/qn7-no-such-port";
    Click(ctl::kQuery);
    WaitForExchange();
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_TRUE(
        view.errors[0].starts_with("ZOV-QN7 CONFIG|Unable to open COM-port\n(error code 2)"))
        << view.errors[0];
    EXPECT_TRUE(logPane.Text().empty());
    EXPECT_TRUE(ExchangeButtonsEnabled());
}

// The box comes once the exchange has released the port: while the user reads it, another
// program (or the user's next try) may open the port. The exchange buttons wait for the box.
TEST_F(DialogShellTest, ThePortIsFreeWhileTheErrorBoxIsUp) {
    SimModule module(Unpaced());
    UseModule(module);
    shell.Link().baud = 0;  // the port opens, then the line setting fails
    int openedDuringBox = -1;
    bool buttonsEnabledDuringBox = true;
    view.whileErrorShown = [&] {
        CSerial other;
        openedDuringBox = other.OpenPort(module.SlavePath().c_str(), 0, 0, true);
        buttonsEnabledDuringBox = ExchangeButtonsEnabled();
    };
    Click(ctl::kSubmit);
    WaitForExchange();
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_TRUE(view.errors[0].starts_with(
        "ZOV-QN7 CONFIG|Unable to set COM-port setting\n(error code 87)"))
        << view.errors[0];
    EXPECT_EQ(openedDuringBox, 0);
    EXPECT_FALSE(buttonsEnabledDuringBox);
    EXPECT_TRUE(ExchangeButtonsEnabled());
    EXPECT_EQ(view.focus, ctl::kSubmit);
    EXPECT_EQ(view.status, StatusText(module.SlavePath(), 0, ExchangeKind::kSubmit,
                                      ExchangeOutcome::kSerialError));
    EXPECT_TRUE(module.Received().empty());
    EXPECT_TRUE(logPane.Text().empty());
}

TEST_F(DialogShellTest, OneExchangeAtATimeAndShutdownCutsItShort) {
    SimOptions options = Unpaced(19200);  // the scan waits 6 s at this rate
    SimModule module(options);
    UseModule(module);
    shell.Link().baud = 19200;
    Click(ctl::kWifiScan);
    Click(ctl::kQuery);  // the button would be disabled; a stray dispatch starts nothing
    const auto sent = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Contains(module.Received(), "at+wifi_Scan=?\r\n") &&
           std::chrono::steady_clock::now() < sent) {
        ui.RunPosted();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(shell.Runner().Busy());
    const auto start = std::chrono::steady_clock::now();
    shell.Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(shell.Runner().Busy());
    ui.RunPosted();
    EXPECT_EQ(module.Received(), "at+wifi_Scan=?\r\n");
    EXPECT_TRUE(view.errors.empty());
}

TEST_F(DialogShellTest, StopEndsTheExchangeSaysSoAndGivesTheFocusBack) {
    SimModule module(Unpaced(19200));  // the scan waits 6 s at this rate
    UseModule(module);
    shell.Link().baud = 19200;
    Click(ctl::kWifiScan);
    EXPECT_EQ(view.stopShown, std::vector<bool>{true});
    EXPECT_EQ(view.status,
              StatusText(module.SlavePath(), 19200, ExchangeKind::kWifiScan, std::nullopt));
    const auto start = std::chrono::steady_clock::now();
    shell.OnStop();
    WaitForExchange();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(logPane.Text(), StoppedLogText(ExchangeKind::kWifiScan, module.SlavePath()));
    EXPECT_EQ(view.stopShown, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.focus, ctl::kWifiScan);
    EXPECT_EQ(view.status, StatusText(module.SlavePath(), 19200, ExchangeKind::kWifiScan,
                                      ExchangeOutcome::kStopped));
    EXPECT_TRUE(ExchangeButtonsEnabled());
}

TEST_F(DialogShellTest, StatusLineFollowsTheLinkAndTheLastOutcome) {
    EXPECT_EQ(view.status, StatusText(shell.Link().port, 115200));
    SimOptions options = Unpaced();
    options.fault = SimFault::kNoAnswer;
    SimModule module(options);
    ASSERT_EQ(module.Start(), 0);
    shell.UsePort(module.SlavePath());
    EXPECT_EQ(view.status, StatusText(module.SlavePath(), 115200));
    Click(ctl::kTransparent);
    WaitForExchange();
    EXPECT_EQ(view.status, StatusText(module.SlavePath(), 115200, ExchangeKind::kTransparent,
                                      ExchangeOutcome::kNoReply));
    EXPECT_EQ(view.focus, ctl::kTransparent);
    form.Choose(ctl::kLinkBaudList, 11);
    EXPECT_EQ(view.status, StatusText(module.SlavePath(), 57600, ExchangeKind::kTransparent,
                                      ExchangeOutcome::kNoReply));
}

TEST(ShellHelpersTest, ProgressPortAndRate) {
    EXPECT_EQ(ProgressPosition(0, 900, 1000), 0);
    EXPECT_EQ(ProgressPosition(450, 900, 1000), 500);
    EXPECT_EQ(ProgressPosition(5000, 900, 1000), 1000);
    EXPECT_EQ(ProgressPosition(10, 0, 1000), 1000);
    EXPECT_EQ(InitialPortIndex({}), -1);
    EXPECT_EQ(InitialPortIndex({"/dev/ttyUSB0", "/dev/ttyUSB1"}), 0);
    std::vector<std::string> com;
    for (int n = 1; n <= 16; ++n) com.push_back("COM" + std::to_string(n));
    EXPECT_EQ(InitialPortIndex(com), 10);
    EXPECT_EQ(LinkBaudOfEntry("57600"), 57600u);
    EXPECT_EQ(LinkBaudOfEntry("96x"), 96u);
    EXPECT_EQ(LinkBaudOfEntry("baud"), 0u);
}

}  // namespace
