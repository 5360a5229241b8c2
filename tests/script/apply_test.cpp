#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>

#include "form_model.h"
#include "script_form.h"
#include "session.h"

namespace {

constexpr int kAddresses[] = {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns};
constexpr int kWifi[] = {ctl::kSsid, ctl::kEncryption, ctl::kKey};
constexpr int kModeRadios[] = {ctl::kModeEthernet, ctl::kModeStation, ctl::kModeAp};
constexpr int kProtocolRadios[] = {ctl::kTcpServer, ctl::kTcpClient, ctl::kUdpServer,
                                   ctl::kUdpClient};

// Every control that ApplyScript ever disables, disabled; every radio checked. Applying must
// first undo all of it.
FormModel DirtyForm() {
    FormModel form;
    for (int id :
         {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns, ctl::kSsid, ctl::kEncryption,
          ctl::kKey, ctl::kDhcp, ctl::kRemoteIp, ctl::kRemotePort, ctl::kLocalPort}) {
        form.Enable(id, false);
    }
    for (int id : kModeRadios) form.SetCheck(id, true);
    for (int id : kProtocolRadios) form.SetCheck(id, true);
    return form;
}

struct EnablingCase {
    const char* name;
    const char* script;
    int checkedMode;  // 0: none
    bool dhcpChecked;
    bool addressesEnabled;  // local IP and mask
    bool gatewayDnsEnabled;
    bool wifiEnabled;
    bool dhcpBoxEnabled;
};

void PrintTo(const EnablingCase& c, std::ostream* os) {
    *os << c.name;
}

class ApplyEnablingTest : public testing::TestWithParam<EnablingCase> {};

TEST_P(ApplyEnablingTest, FollowsWorkModeAndDhcp) {
    const EnablingCase& c = GetParam();
    FormModel form = DirtyForm();
    form.SetCheck(ctl::kDhcp, true);
    Session session;
    session.ApplyScript(form, c.script);
    for (int id : kModeRadios) EXPECT_EQ(form.IsChecked(id), id == c.checkedMode) << id;
    EXPECT_EQ(form.IsChecked(ctl::kDhcp), c.dhcpChecked);
    EXPECT_EQ(form.IsEnabled(ctl::kLocalIp), c.addressesEnabled);
    EXPECT_EQ(form.IsEnabled(ctl::kMask), c.addressesEnabled);
    EXPECT_EQ(form.IsEnabled(ctl::kGateway), c.gatewayDnsEnabled);
    EXPECT_EQ(form.IsEnabled(ctl::kDns), c.gatewayDnsEnabled);
    for (int id : kWifi) EXPECT_EQ(form.IsEnabled(id), c.wifiEnabled) << id;
    EXPECT_EQ(form.IsEnabled(ctl::kDhcp), c.dhcpBoxEnabled);
    EXPECT_TRUE(form.IsEnabled(ctl::kRemotePort));  // never disabled
    EXPECT_FALSE(session.Applying());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ApplyEnablingTest,
    testing::Values(
        // A DHCP client takes its addresses from the network.
        EnablingCase{"EthernetStatic", "at+netmode=1\r\nat+dhcpc=0\r\n", ctl::kModeEthernet, false,
                     true, true, false, true},
        EnablingCase{"EthernetDhcp", "at+netmode=1\r\nat+dhcpc=1\r\n", ctl::kModeEthernet, true,
                     false, false, false, true},
        EnablingCase{"EthernetNoDhcpcLine", "at+netmode=1\r\n", ctl::kModeEthernet, true, false,
                     false, false, true},
        EnablingCase{"StationStatic", "at+netmode=2\r\nat+dhcpc=0\r\n", ctl::kModeStation, false,
                     true, true, true, true},
        EnablingCase{"StationDhcp", "at+netmode=2\r\nat+dhcpc=1\r\n", ctl::kModeStation, true,
                     false, false, true, true},
        // The access point keeps the DHCP box as it was but greys it out.
        EnablingCase{"AccessPoint", "at+netmode=3\r\nat+dhcpc=0\r\n", ctl::kModeAp, true, true,
                     false, true, false},
        EnablingCase{"NoNetmode", "at+dhcpc=0\r\n", 0, true, true, true, true, true},
        EnablingCase{"UnknownNetmode", "at+netmode= 1\r\n", 0, true, true, true, true, true}),
    [](const testing::TestParamInfo<EnablingCase>& info) { return std::string(info.param.name); });

struct RoleCase {
    const char* script;
    int checkedRadio;  // 0: none
    bool remoteIpEnabled;
    bool localPortEnabled;
};

TEST(ApplyScriptTest, ProtocolRoleDecidesRemoteAndLocalPort) {
    const RoleCase cases[] = {
        {"at+remotepro=tcp\r\nat+mode=server\r\n", ctl::kTcpServer, false, false},
        {"at+remotepro=tcp\r\nat+mode=client\r\n", ctl::kTcpClient, true, true},
        {"at+remotepro=udp\r\nat+mode=server\r\n", ctl::kUdpServer, false, false},
        {"at+remotepro=udp\r\nat+mode=client\r\n", ctl::kUdpClient, true, true},
        {"at+remotepro=TCP\r\nat+mode=server\r\n", 0, true, true},
        {"at+remotepro=tcp\r\nat+mode=both\r\n", 0, true, true},
        {"at+mode=server\r\n", 0, true, true},
    };
    for (const RoleCase& c : cases) {
        FormModel form = DirtyForm();
        ApplyScript(form, c.script);
        for (int id : kProtocolRadios) EXPECT_EQ(form.IsChecked(id), id == c.checkedRadio) << id;
        EXPECT_EQ(form.IsEnabled(ctl::kRemoteIp), c.remoteIpEnabled) << c.script;
        EXPECT_EQ(form.IsEnabled(ctl::kLocalPort), c.localPortEnabled) << c.script;
    }
}

TEST(ApplyScriptTest, SetsTextsAndLists) {
    FormModel form;
    ApplyScript(form,
                "at+netmode=2\r\nat+wifi_conf=Cafe,wep,k1,extra\r\nat+dhcpc=0\r\n"
                "at+net_ip=10.0.0.9,255.0.0.0,10.0.0.1\r\nat+net_dns=1.1.1.1,9.9.9.9\r\n"
                "at+remoteip=host.example\r\nat+remoteport=4000\r\nat+CLport=4001\r\n"
                "at+uart=57600,7,o,2\r\n");
    EXPECT_EQ(form.GetText(ctl::kSsid), "Cafe");
    EXPECT_EQ(form.GetSelectedIndex(ctl::kEncryption), 2);
    EXPECT_EQ(form.GetText(ctl::kKey), "k1");
    EXPECT_EQ(form.GetText(ctl::kLocalIp), "10.0.0.9");
    EXPECT_EQ(form.GetText(ctl::kMask), "255.0.0.0");
    EXPECT_EQ(form.GetText(ctl::kGateway), "10.0.0.1");
    EXPECT_EQ(form.GetText(ctl::kDns), "1.1.1.1");
    EXPECT_EQ(form.GetText(ctl::kRemoteIp), "host.example");
    EXPECT_EQ(form.GetText(ctl::kRemotePort), "4000");
    EXPECT_EQ(form.GetText(ctl::kLocalPort), "4001");
    EXPECT_EQ(form.GetSelectedText(ctl::kUartBaud), "57600");
    EXPECT_EQ(form.GetSelectedText(ctl::kDataBits), "7");
    EXPECT_EQ(form.GetSelectedText(ctl::kParity), "ODD");
    EXPECT_EQ(form.GetSelectedText(ctl::kStopBits), "2");
}

TEST(ApplyScriptTest, UnknownEncryptionTokenKeepsTheSelection) {
    FormModel form;
    form.SelectIndex(ctl::kEncryption, 4);
    ApplyScript(form, "at+wifi_conf=n,WPA2_AES,k\r\n");
    EXPECT_EQ(form.GetSelectedIndex(ctl::kEncryption), 4);
    ApplyScript(form, "at+netmode=1\r\n");  // no wifi_conf at all
    EXPECT_EQ(form.GetSelectedIndex(ctl::kEncryption), 4);
    EXPECT_EQ(form.GetText(ctl::kSsid), "");
}

TEST(ApplyScriptTest, ParityLetterOrNone) {
    const std::pair<const char*, int> cases[] = {
        {"at+uart=9600,8,n,1\r\n", 0}, {"at+uart=9600,8,o,1\r\n", 1},
        {"at+uart=9600,8,e,1\r\n", 2}, {"at+uart=9600,8,even,1\r\n", 2},
        {"at+uart=9600,8,x,1\r\n", 0}, {"at+uart=9600,8,E,1\r\n", 0},
        {"at+uart=9600,8,,1\r\n", 0}};
    for (const auto& [script, index] : cases) {
        FormModel form;
        form.SelectIndex(ctl::kParity, 1);
        ApplyScript(form, script);
        EXPECT_EQ(form.GetSelectedIndex(ctl::kParity), index) << script;
    }
}

TEST(ApplyScriptTest, UartPrefixSearchStartsAfterTheFirstEntry) {
    const std::pair<const char*, const char*> cases[] = {
        {"1200", "1200"}, {"115200", "115200"}, {"2", "2400"},   {"23", "230400"},
        {"11", "115200"}, {"1", "19200"},       {"9600", "9600"}};
    for (const auto& [baud, selected] : cases) {
        FormModel form;
        ApplyScript(form, std::string("at+uart=") + baud + ",8,n,1\r\n");
        EXPECT_EQ(form.GetSelectedText(ctl::kUartBaud), selected) << baud;
    }
}

TEST(ApplyScriptTest, UnmatchedOrMissingUartFieldsKeepTheLists) {
    FormModel form;
    form.SelectIndex(ctl::kUartBaud, 5);
    form.SelectIndex(ctl::kDataBits, 1);
    form.SelectIndex(ctl::kStopBits, 0);
    ApplyScript(form, "at+uart=300,9\r\n");
    EXPECT_EQ(form.GetSelectedIndex(ctl::kUartBaud), 5);
    EXPECT_EQ(form.GetSelectedIndex(ctl::kDataBits), 1);
    // An empty field would prefix-match the first entry searched; it must change nothing.
    EXPECT_EQ(form.GetSelectedIndex(ctl::kStopBits), 0);
}

TEST(ApplyScriptTest, MissingAddressesBlankTheControls) {
    FormModel form;
    form.SetText(ctl::kLocalIp, "1.2.3.4");
    ApplyScript(form, "at+netmode=1\r\n");
    EXPECT_EQ(form.GetText(ctl::kLocalIp), "0.0.0.0");
}

}  // namespace
