#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_model.h"
#include "pane_fixture.h"
#include "presets.h"
#include "script_form.h"

namespace {

// A form wired like the dialog: every notification goes to OnFormChanged.
class FormChangesTest : public PaneFixture {
  protected:
    void SetUp() override {
        PaneFixture::SetUp();
        form.SetNotifyHandler([this](int id, Notify code) {
            notifications.push_back({id, code, session.Applying()});
            session.OnFormChanged(form, id, code);
        });
        session.StartUpForm(form);
        notifications.clear();
    }

    struct Seen {
        int id;
        Notify code;
        bool whileApplying;
    };
    FormModel form;
    std::vector<Seen> notifications;
};

TEST_F(FormChangesTest, StartUpShowsTheFirstPresetAndAppliesIt) {
    EXPECT_EQ(cmdPane.Text(), FirstPresetScript());
    EXPECT_EQ(logPane.Text(), "");
    EXPECT_TRUE(session.Script().empty());  // no handler ran while the preset was applied
    EXPECT_TRUE(form.IsChecked(ctl::kModeEthernet));
    EXPECT_TRUE(form.IsChecked(ctl::kDhcp));
    EXPECT_TRUE(form.IsChecked(ctl::kTcpServer));
    for (int id : {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns}) {
        EXPECT_EQ(form.GetText(id), "0.0.0.0") << id;  // blank
        EXPECT_FALSE(form.IsEnabled(id)) << id;
    }
    for (int id : {ctl::kSsid, ctl::kKey}) EXPECT_EQ(form.GetText(id), "") << id;
    for (int id : {ctl::kSsid, ctl::kKey, ctl::kEncryption, ctl::kRemoteIp, ctl::kLocalPort}) {
        EXPECT_FALSE(form.IsEnabled(id)) << id;
    }
    EXPECT_EQ(form.GetText(ctl::kRemoteIp), "192.168.11.245");
    EXPECT_EQ(form.GetText(ctl::kRemotePort), "8080");
    EXPECT_TRUE(form.IsEnabled(ctl::kRemotePort));
    EXPECT_EQ(form.GetText(ctl::kLocalPort), "");
    EXPECT_EQ(form.GetSelectedText(ctl::kUartBaud), "115200");
    EXPECT_EQ(form.GetSelectedText(ctl::kDataBits), "8");
    EXPECT_EQ(form.GetSelectedText(ctl::kParity), "NONE");
    EXPECT_EQ(form.GetSelectedText(ctl::kStopBits), "1");
    EXPECT_EQ(form.GetSelectedIndex(ctl::kEncryption), -1);
}

TEST_F(FormChangesTest, ComposingTheStartedFormGivesTheKnownScript) {
    EXPECT_EQ(ComposeScript(form),
              "at+netmode=1\r\nat+dhcpd=0\r\nat+wifi_conf=,,\r\nat+dhcpc=1\r\n"
              "at+net_ip=0.0.0.0,0.0.0.0,0.0.0.0\r\nat+net_dns=0.0.0.0,0.0.0.0\r\n"
              "at+remotepro=tcp\r\nat+mode=server\r\nat+remoteip=192.168.11.245\r\n"
              "at+remoteport=8080\r\nat+CLport=\r\nat+timeout=0\r\n"
              "at+uart=115200,8,n,1\r\nat+uartpacklen=64\r\nat+uartpacktimeout=10\r\n"
              "at+net_commit=1\r\nat+reconn=1\r\n");
}

TEST_F(FormChangesTest, ApplyingRaisesEditChangesThatStayQuiet) {
    cmdPane.Clear();
    session.ApplyScript(form, "at+netmode=2\r\nat+wifi_conf=abc,none,key\r\n");
    ASSERT_FALSE(notifications.empty());
    for (const Seen& seen : notifications) {
        EXPECT_EQ(seen.code, Notify::kEditChange);
        EXPECT_TRUE(seen.whileApplying);
    }
    EXPECT_EQ(cmdPane.Text(), "");  // nothing recomposed a half-applied form
    EXPECT_TRUE(session.Script().empty());
    EXPECT_FALSE(session.Applying());
}

TEST_F(FormChangesTest, TypingRecomposesWithoutTouchingEnabledStates) {
    form.Click(ctl::kModeStation);  // SSID editable
    const bool keyEnabled = form.IsEnabled(ctl::kKey);
    std::string typed;
    for (char c : std::string("Net")) {
        typed += c;
        form.SetText(ctl::kSsid, typed);
        EXPECT_NE(cmdPane.Text().find("at+wifi_conf=" + typed + ",,\r\n"), std::string::npos);
        EXPECT_EQ(cmdPane.Text(), session.Script());
    }
    EXPECT_EQ(form.IsEnabled(ctl::kKey), keyEnabled);
    // Typing does not reapply: reapplying would cut this SSID at its comma.
    form.SetText(ctl::kSsid, "a,b");
    EXPECT_EQ(form.GetText(ctl::kSsid), "a,b");
}

TEST_F(FormChangesTest, ClickingApModeRecomposesAndReapplies) {
    form.EnterAddress(ctl::kLocalIp, "192.168.16.254");  // not yet: address is disabled
    EXPECT_EQ(form.GetText(ctl::kLocalIp), "0.0.0.0");
    form.Click(ctl::kModeAp);
    EXPECT_NE(cmdPane.Text().find("at+netmode=3\r\nat+dhcpd=1\r\n"), std::string::npos);
    EXPECT_TRUE(form.IsChecked(ctl::kModeAp));
    EXPECT_FALSE(form.IsEnabled(ctl::kDhcp));
    EXPECT_TRUE(form.IsEnabled(ctl::kLocalIp));
    EXPECT_FALSE(form.IsEnabled(ctl::kGateway));
    form.EnterAddress(ctl::kLocalIp, "192.168.16.254");
    form.EnterAddress(ctl::kMask, "255.255.255.0");
    EXPECT_NE(cmdPane.Text().find("at+dhcpd_ip=192.168.16.1,192.168.16.254,255.255.255.0,"
                                  "192.168.16.254\r\n"),
              std::string::npos);
}

TEST_F(FormChangesTest, DhcpClickAndListChoiceReapply) {
    form.Click(ctl::kDhcp);  // off: the addresses become editable
    EXPECT_FALSE(form.IsChecked(ctl::kDhcp));
    EXPECT_TRUE(form.IsEnabled(ctl::kLocalIp));
    EXPECT_NE(session.Script().find("at+dhcpc=0\r\n"), std::string::npos);
    form.Choose(ctl::kParity, 2);
    EXPECT_NE(cmdPane.Text().find("at+uart=115200,8,e,1\r\n"), std::string::npos);
    EXPECT_EQ(form.GetSelectedIndex(ctl::kParity), 2);
}

TEST_F(FormChangesTest, ProtocolRadiosSetTheLocalPortEvenWhileApplying) {
    form.Click(ctl::kTcpClient);
    EXPECT_TRUE(form.IsEnabled(ctl::kLocalPort));
    EXPECT_TRUE(form.IsEnabled(ctl::kRemoteIp));
    EXPECT_NE(cmdPane.Text().find("at+mode=client\r\n"), std::string::npos);

    const std::string shown = cmdPane.Text();
    // Clicks that arrive while a script is being applied (here: as the applier sets the SSID).
    bool whileApplying = false;
    form.SetNotifyHandler([&](int id, Notify) {
        if (id != ctl::kSsid) return;
        whileApplying = session.Applying();
        EXPECT_TRUE(session.OnFormChanged(form, ctl::kUdpServer, Notify::kClicked));
        EXPECT_FALSE(form.IsEnabled(ctl::kLocalPort));
        EXPECT_TRUE(session.OnFormChanged(form, ctl::kUdpClient, Notify::kClicked));
        EXPECT_TRUE(form.IsEnabled(ctl::kLocalPort));
        EXPECT_TRUE(session.OnFormChanged(form, ctl::kModeAp, Notify::kClicked));
    });
    session.ApplyScript(form, "");
    EXPECT_TRUE(whileApplying);
    EXPECT_EQ(cmdPane.Text(), shown);  // nothing recomposed
    EXPECT_FALSE(form.IsChecked(ctl::kModeAp));
}

TEST_F(FormChangesTest, OtherNotificationsAreNoFormChanges) {
    const std::pair<int, Notify> others[] = {
        {ctl::kSubmit, Notify::kClicked},        {ctl::kUser0, Notify::kDoubleClicked},
        {ctl::kSsid, Notify::kClicked},          {ctl::kLocalIp, Notify::kEditChange},
        {ctl::kModeAp, Notify::kDoubleClicked},  {ctl::kComPortList, Notify::kSelChange},
        {ctl::kEncryption, Notify::kEditChange}, {ctl::kDhcp, Notify::kFieldChanged}};
    const std::string shown = cmdPane.Text();
    for (const auto& [id, code] : others) {
        EXPECT_FALSE(session.OnFormChanged(form, id, code)) << id;
    }
    EXPECT_EQ(cmdPane.Text(), shown);
}

TEST_F(FormChangesTest, NullPanesAreIgnored) {
    session.SetPanes(nullptr, &logPane);
    form.Click(ctl::kModeStation);
    EXPECT_TRUE(form.IsChecked(ctl::kModeStation));
    EXPECT_NE(session.Script().find("at+netmode=2\r\n"), std::string::npos);
    EXPECT_EQ(cmdPane.Text(), FirstPresetScript());
}

}  // namespace
