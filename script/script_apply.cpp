#include <initializer_list>

#include "at_text.h"
#include "form_schema.h"
#include "script_form.h"

namespace {

void EnableAll(FormAccess& form, std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) form.Enable(id, enabled);
}

void DisableAddresses(FormAccess& form) {
    EnableAll(form, {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns}, false);
}

std::string Field(std::string_view value, int index) {
    return GetAtField(value, ",", index);
}

void ApplyWifi(FormAccess& form, std::string_view script) {
    const std::string wifi = GetAtValue(script, "wifi_conf");
    form.SetText(ctl::kSsid, Field(wifi, 0));
    const int encryption = EncryptionIndexOfToken(Field(wifi, 1));
    if (encryption >= 0) form.SelectIndex(ctl::kEncryption, encryption);
    form.SetText(ctl::kKey, Field(wifi, 2));
}

int ParityIndexOfLetter(std::string_view field) {
    for (std::size_t i = 0; i < kParityLetters.size(); ++i) {
        if (!field.empty() && field.front() == kParityLetters[i]) return static_cast<int>(i);
    }
    return 0;
}

void ApplyUart(FormAccess& form, std::string_view script) {
    const std::string uart = GetAtValue(script, "uart");
    // An empty prefix would match every entry; a missing field keeps the list as it is.
    const auto selectByPrefix = [&form](int listId, const std::string& prefix) {
        if (!prefix.empty()) form.SelectByPrefix(listId, prefix);
    };
    selectByPrefix(ctl::kUartBaud, Field(uart, 0));
    selectByPrefix(ctl::kDataBits, Field(uart, 1));
    selectByPrefix(ctl::kStopBits, Field(uart, 3));
    form.SelectIndex(ctl::kParity, ParityIndexOfLetter(Field(uart, 2)));
}

void ApplyAddresses(FormAccess& form, std::string_view script) {
    const std::string netIp = GetAtValue(script, "net_ip");
    form.SetText(ctl::kLocalIp, Field(netIp, 0));
    form.SetText(ctl::kMask, Field(netIp, 1));
    form.SetText(ctl::kGateway, Field(netIp, 2));
    form.SetText(ctl::kDns, Field(GetAtValue(script, "net_dns"), 0));
}

// A server needs neither a remote peer nor a local port of its own.
void ApplyProtocol(FormAccess& form, std::string_view script) {
    const std::string protocol = GetAtValue(script, "remotepro");
    if (protocol != "tcp" && protocol != "udp") return;
    const bool tcp = protocol == "tcp";
    const std::string role = GetAtValue(script, "mode");
    if (role == "server") {
        form.SetCheck(tcp ? ctl::kTcpServer : ctl::kUdpServer, true);
        EnableAll(form, {ctl::kRemoteIp, ctl::kLocalPort}, false);
    } else if (role == "client") {
        form.SetCheck(tcp ? ctl::kTcpClient : ctl::kUdpClient, true);
        form.Enable(ctl::kLocalPort, true);
    }
}

// A DHCP client takes its addresses from the network, so they are greyed out.
void ApplyDhcpClient(FormAccess& form, std::string_view script) {
    if (IsAtValue(script, "dhcpc", "0")) {
        form.SetCheck(ctl::kDhcp, false);
        return;
    }
    form.SetCheck(ctl::kDhcp, true);
    DisableAddresses(form);
}

void ApplyWorkMode(FormAccess& form, std::string_view script) {
    const std::string mode = GetAtValue(script, "netmode");
    if (mode == "1") {
        form.SetCheck(ctl::kModeEthernet, true);
        EnableAll(form, {ctl::kSsid, ctl::kEncryption, ctl::kKey}, false);
        ApplyDhcpClient(form, script);
    } else if (mode == "2") {
        form.SetCheck(ctl::kModeStation, true);
        ApplyDhcpClient(form, script);
    } else if (mode == "3") {
        // As access point the module is the gateway and DNS itself and runs no DHCP client.
        form.SetCheck(ctl::kModeAp, true);
        EnableAll(form, {ctl::kDhcp, ctl::kGateway, ctl::kDns}, false);
    }
}

}  // namespace

void ApplyScript(FormAccess& form, std::string_view script) {
    // From a clean slate: the fields the rules below may grey out enabled, no radio checked.
    for (const FormField& field : kFormSchema) {
        if (field.enabledByApply) form.Enable(field.id, true);
    }
    for (const FormField& field : kFormSchema) {
        if (field.kind == FieldKind::kRadio) form.SetCheck(field.id, false);
    }
    ApplyWifi(form, script);
    form.SetText(ctl::kRemoteIp, GetAtValue(script, "remoteip"));
    form.SetText(ctl::kRemotePort, GetAtValue(script, "remoteport"));
    form.SetText(ctl::kLocalPort, GetAtValue(script, "CLport"));
    ApplyUart(form, script);
    ApplyAddresses(form, script);
    ApplyProtocol(form, script);
    ApplyWorkMode(form, script);
}
