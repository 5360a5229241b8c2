#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_model.h"
#include "script_form.h"

namespace {

std::vector<std::string> Lines(const std::string& script) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = script.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(script.substr(start, end - start));
    }
    EXPECT_EQ(start, script.size()) << "script must end with CR LF";
    return lines;
}

bool HasLine(const std::string& script, const std::string& line) {
    for (const std::string& l : Lines(script)) {
        if (l == line) return true;
    }
    return false;
}

// A form as the user might fill it: station mode, static address, TCP client.
FormModel FilledForm() {
    FormModel form;
    form.SetCheck(ctl::kModeStation, true);
    form.SetText(ctl::kSsid, "Home");
    form.SelectIndex(ctl::kEncryption, 6);
    form.SetText(ctl::kKey, "secret");
    form.SetText(ctl::kLocalIp, "192.168.1.20");
    form.SetText(ctl::kMask, "255.255.255.0");
    form.SetText(ctl::kGateway, "192.168.1.1");
    form.SetText(ctl::kDns, "8.8.4.4");
    form.SetCheck(ctl::kTcpClient, true);
    form.SetText(ctl::kRemoteIp, "example.net");
    form.SetText(ctl::kRemotePort, "502");
    form.SetText(ctl::kLocalPort, "7000");
    form.SelectIndex(ctl::kUartBaud, 3);
    form.SelectIndex(ctl::kDataBits, 2);
    form.SelectIndex(ctl::kStopBits, 1);
    form.SelectIndex(ctl::kParity, 2);
    return form;
}

TEST(ComposeScriptTest, WritesEveryLineInOrder) {
    const std::vector<std::string> expected = {"at+netmode=2",
                                               "at+dhcpd=0",
                                               "at+wifi_conf=Home,wpa2_aes,secret",
                                               "at+dhcpc=0",
                                               "at+net_ip=192.168.1.20,255.255.255.0,192.168.1.1",
                                               "at+net_dns=8.8.4.4,0.0.0.0",
                                               "at+remotepro=tcp",
                                               "at+mode=client",
                                               "at+remoteip=example.net",
                                               "at+remoteport=502",
                                               "at+CLport=7000",
                                               "at+timeout=0",
                                               "at+uart=9600,7,e,2",
                                               "at+uartpacklen=64",
                                               "at+uartpacktimeout=10",
                                               "at+net_commit=1",
                                               "at+reconn=1"};
    EXPECT_EQ(Lines(ComposeScript(FilledForm())), expected);
}

struct ModeCase {
    int radio;
    std::vector<std::string> head;  // lines before wifi_conf
};

TEST(ComposeScriptTest, WorkModeLinesAndTheApPool) {
    const ModeCase cases[] = {
        {ctl::kModeEthernet, {"at+netmode=1", "at+dhcpd=0"}},
        {ctl::kModeStation, {"at+netmode=2", "at+dhcpd=0"}},
        {ctl::kModeAp,
         {"at+netmode=3", "at+dhcpd=1",
          "at+dhcpd_ip=192.168.16.1,192.168.16.254,255.255.255.0,192.168.16.254",
          "at+dhcpd_dns=192.168.16.254,0.0.0.0", "at+dhcpd_time=86400"}},
        {0, {"at+netmode=0"}},
    };
    for (const ModeCase& c : cases) {
        FormModel form;
        if (c.radio != 0) form.SetCheck(c.radio, true);
        form.SetText(ctl::kLocalIp, "192.168.16.254");
        form.SetText(ctl::kMask, "255.255.255.0");
        form.SetText(ctl::kGateway, "10.9.9.9");  // the pool names the module, not this
        const std::vector<std::string> lines = Lines(ComposeScript(form));
        ASSERT_GT(lines.size(), c.head.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.head.size()), c.head)
            << c.radio;
        EXPECT_EQ(lines[c.head.size()].rfind("at+wifi_conf=", 0), 0u) << c.radio;
    }
}

TEST(ComposeScriptTest, ApPoolFollowsTheMask) {
    FormModel form;
    form.SetCheck(ctl::kModeAp, true);
    form.SetText(ctl::kLocalIp, "10.1.2.3");
    form.SetText(ctl::kMask, "255.255.0.0");
    const std::string script = ComposeScript(form);
    EXPECT_TRUE(HasLine(script, "at+dhcpd_ip=10.1.0.1,10.1.254.254,255.255.0.0,10.1.2.3"));
    EXPECT_TRUE(HasLine(script, "at+dhcpd_dns=10.1.2.3,0.0.0.0"));
}

TEST(ComposeScriptTest, ProtocolLinesPerRadio) {
    const std::pair<int, const char*> cases[] = {{ctl::kTcpServer, "tcp,server"},
                                                 {ctl::kTcpClient, "tcp,client"},
                                                 {ctl::kUdpServer, "udp,server"},
                                                 {ctl::kUdpClient, "udp,client"}};
    for (const auto& [radio, expected] : cases) {
        FormModel form;
        form.SetCheck(radio, true);
        const std::string script = ComposeScript(form);
        const std::string pair(expected);
        EXPECT_TRUE(HasLine(script, "at+remotepro=" + pair.substr(0, 3))) << radio;
        EXPECT_TRUE(HasLine(script, "at+mode=" + pair.substr(4))) << radio;
    }
    const std::string none = ComposeScript(FormModel());
    EXPECT_EQ(none.find("at+remotepro="), std::string::npos);
    EXPECT_EQ(none.find("at+mode="), std::string::npos);
}

TEST(ComposeScriptTest, EncryptionTokenByIndex) {
    const std::pair<int, const char*> cases[] = {{-1, "at+wifi_conf=net,,pw"},
                                                 {0, "at+wifi_conf=net,none,pw"},
                                                 {2, "at+wifi_conf=net,wep,pw"},
                                                 {7, "at+wifi_conf=net,wpawpa2_tkip,pw"},
                                                 {9, "at+wifi_conf=net,auto,pw"}};
    for (const auto& [index, line] : cases) {
        FormModel form;
        form.SetText(ctl::kSsid, "net");
        form.SetText(ctl::kKey, "pw");
        form.SelectIndex(ctl::kEncryption, index);
        EXPECT_TRUE(HasLine(ComposeScript(form), line)) << index;
    }
}

TEST(ComposeScriptTest, LongTextsAreComposedWhole) {
    FormModel form = FilledForm();
    const std::string ssid(200, 's');
    const std::string key(150, 'k');
    const std::string host(300, 'h');
    form.SetText(ctl::kSsid, ssid);
    form.SetText(ctl::kKey, key);
    form.SetText(ctl::kRemoteIp, host);
    form.SetText(ctl::kRemotePort, std::string(2000, '9'));
    const std::string script = ComposeScript(form);
    EXPECT_TRUE(HasLine(script, "at+wifi_conf=" + ssid + ",wpa2_aes," + key));
    EXPECT_TRUE(HasLine(script, "at+remoteip=" + host));
    EXPECT_TRUE(HasLine(script, "at+remoteport=" + std::string(2000, '9')));
    EXPECT_GT(script.size(), 2048u);
    EXPECT_TRUE(HasLine(script, "at+reconn=1"));
}

TEST(ComposeScriptTest, TextsGoInUnchangedAndBlankAddressesReadAsZero) {
    FormModel form;
    form.SetText(ctl::kSsid, "a,b");
    form.SetText(ctl::kKey, " k ");
    const std::string script = ComposeScript(form);
    EXPECT_TRUE(HasLine(script, "at+wifi_conf=a,b,, k "));
    EXPECT_TRUE(HasLine(script, "at+net_ip=0.0.0.0,0.0.0.0,0.0.0.0"));
    EXPECT_TRUE(HasLine(script, "at+net_dns=0.0.0.0,0.0.0.0"));
    EXPECT_TRUE(HasLine(script, "at+uart=,,,"));  // no list selected yet
}

// A line break or NUL in a form text (pasted, or applied from a script with a lone LF) must not
// end the line early and start a command of the text's choosing.
TEST(ComposeScriptTest, LineBreaksAndNulInTextsNeverStartAnotherCommand) {
    using namespace std::string_literals;
    const std::string injected = "a\r\nat+default=1\nat+reboot=1\0x"s;
    for (int id : {ctl::kSsid, ctl::kKey, ctl::kRemoteIp, ctl::kRemotePort, ctl::kLocalPort}) {
        FormModel form = FilledForm();
        form.SetText(id, injected);
        const std::string script = ComposeScript(form);
        EXPECT_EQ(Lines(script).size(), Lines(ComposeScript(FilledForm())).size()) << id;
        EXPECT_EQ(script.find("\nat+default"), std::string::npos) << id;
        EXPECT_EQ(script.find('\0'), std::string::npos) << id;
        EXPECT_NE(script.find("aat+default=1at+reboot=1x"), std::string::npos) << id;
    }
}

}  // namespace
