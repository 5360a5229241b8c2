#include "at_line.h"
#include "at_text.h"
#include "script_form.h"

namespace {

// Index of a list's selection when it names an entry of a table of `size`, else -1:
// nothing selected writes nothing, so the line keeps its commas.
int SelectedIndexBelow(const FormAccess& form, int listId, std::size_t size) {
    const int index = form.GetSelectedIndex(listId);
    return index >= 0 && static_cast<std::size_t>(index) < size ? index : -1;
}

std::string EncryptionToken(const FormAccess& form) {
    const int index = SelectedIndexBelow(form, ctl::kEncryption, kEncryptionTokens.size());
    return index < 0 ? std::string() : kEncryptionTokens[static_cast<std::size_t>(index)];
}

std::string ParityLetter(const FormAccess& form) {
    const int index = SelectedIndexBelow(form, ctl::kParity, kParityLetters.size());
    return index < 0 ? std::string()
                     : std::string(1, kParityLetters[static_cast<std::size_t>(index)]);
}

// A form text as it may go into a command line: CR and LF would end the line early and start
// another command of the text's choosing, the port stops sending at a NUL, and backspace, DEL
// or other control bytes would let the module's line editing rewrite the line. TAB is text.
std::string FieldText(const FormAccess& form, int id) {
    std::string text = form.GetText(id);
    std::erase_if(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7F;
    });
    return text;
}

std::string Join(std::initializer_list<std::string> fields) {
    std::string joined;
    bool first = true;
    for (const std::string& field : fields) {
        if (!first) joined += ',';
        joined += field;
        first = false;
    }
    return joined;
}

// The module's own DHCP server hands out the subnet of its IP, from .1 up to just below
// the broadcast address, with itself as gateway and DNS.
void AppendDhcpServer(std::string& out, const FormAccess& form) {
    const std::string ip = FieldText(form, ctl::kLocalIp);
    const uint32_t address = ParseIPv4(ip);
    const uint32_t mask = ParseIPv4(FieldText(form, ctl::kMask));
    const uint32_t network = address & mask;
    AppendAtLine(out, "dhcpd_ip",
                 Join({FormatIPv4(network + 1), FormatIPv4(network | DhcpHostPart(mask)),
                       FormatIPv4(mask), FormatIPv4(address)}));
    AppendAtLine(out, "dhcpd_dns", Join({FormatIPv4(address), "0.0.0.0"}));
    AppendAtLine(out, "dhcpd_time", "86400");
}

void AppendWorkMode(std::string& out, const FormAccess& form) {
    if (form.IsChecked(ctl::kModeEthernet)) {
        AppendAtLine(out, "netmode", "1");
        AppendAtLine(out, "dhcpd", "0");
    } else if (form.IsChecked(ctl::kModeStation)) {
        AppendAtLine(out, "netmode", "2");
        AppendAtLine(out, "dhcpd", "0");
    } else if (form.IsChecked(ctl::kModeAp)) {
        AppendAtLine(out, "netmode", "3");
        AppendAtLine(out, "dhcpd", "1");
        AppendDhcpServer(out, form);
    } else {
        AppendAtLine(out, "netmode", "0");
    }
}

void AppendProtocol(std::string& out, const FormAccess& form) {
    struct Choice {
        int radio;
        const char* protocol;
        const char* role;
    };
    static constexpr Choice kChoices[] = {{ctl::kTcpServer, "tcp", "server"},
                                          {ctl::kTcpClient, "tcp", "client"},
                                          {ctl::kUdpServer, "udp", "server"},
                                          {ctl::kUdpClient, "udp", "client"}};
    for (const Choice& choice : kChoices) {
        if (form.IsChecked(choice.radio)) {
            AppendAtLine(out, "remotepro", choice.protocol);
            AppendAtLine(out, "mode", choice.role);
            return;
        }
    }
}

}  // namespace

std::string ComposeScript(const FormAccess& form) {
    std::string out;
    AppendWorkMode(out, form);
    AppendAtLine(
        out, "wifi_conf",
        Join({FieldText(form, ctl::kSsid), EncryptionToken(form), FieldText(form, ctl::kKey)}));
    AppendAtLine(out, "dhcpc", form.IsChecked(ctl::kDhcp) ? "1" : "0");
    AppendAtLine(out, "net_ip",
                 Join({FieldText(form, ctl::kLocalIp), FieldText(form, ctl::kMask),
                       FieldText(form, ctl::kGateway)}));
    AppendAtLine(out, "net_dns", Join({FieldText(form, ctl::kDns), "0.0.0.0"}));
    AppendProtocol(out, form);
    // Remote and local port are written whatever the role, even while greyed out.
    AppendAtLine(out, "remoteip", FieldText(form, ctl::kRemoteIp));
    AppendAtLine(out, "remoteport", FieldText(form, ctl::kRemotePort));
    AppendAtLine(out, "CLport", FieldText(form, ctl::kLocalPort));
    AppendAtLine(out, "timeout", "0");
    AppendAtLine(out, "uart",
                 Join({form.GetSelectedText(ctl::kUartBaud), form.GetSelectedText(ctl::kDataBits),
                       ParityLetter(form), form.GetSelectedText(ctl::kStopBits)}));
    AppendAtLine(out, "uartpacklen", "64");
    AppendAtLine(out, "uartpacktimeout", "10");
    AppendAtLine(out, "net_commit", "1");
    AppendAtLine(out, "reconn", "1");
    return out;
}
