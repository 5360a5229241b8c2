// The timed exchanges with the module. Each opens the selected port, talks, and closes it
// again; nothing stays open between exchanges. They reach the outside only through an
// ExchangeHost, so the dialog can run them on a worker thread and the command line can print.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CSerial;

struct LinkSettings {
    std::string port;  // device path: /dev/ttyUSB0, a pseudo-terminal, COM11 on Windows
    uint32_t baud = 115200;
    // Reply windows end once the reply is complete instead of always waiting their fixed time.
    bool fast = false;
};

class ExchangeHost {
  public:
    virtual ~ExchangeHost() = default;
    virtual LinkSettings Link() const = 0;
    // Only the search calls it, with the rate the module answered at.
    virtual void SetLinkBaud(uint32_t baud) = 0;
    // Text for the log pane (">:" reply lines, the found line).
    virtual void Log(std::string_view text) = 0;
    // The error box: returns once the user has dismissed it. `text` is the whole box text.
    virtual void ShowError(int32_t code, std::string_view text) = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Progress: the exchange's whole expected wait, announced once before it starts waiting.
    virtual void ExpectWait(uint32_t totalMs) { (void)totalMs; }
    // True once the user stopped the exchange: it ends after the wait it is in, with no reply.
    virtual bool Cancelled() const { return false; }
    // The exchange's port while it is open, nullptr once it is released: a host that stops
    // exchanges from another thread cuts a transfer pending on it short (ExchangeStop).
    virtual void HoldPort(CSerial* port) { (void)port; }
};

bool SearchModule(ExchangeHost& host);
// `reply` (may be null) is set to the text read whenever at least one byte arrived, whether
// or not it holds "at".
bool ScanWifi(ExchangeHost& host, std::string_view command, std::string* reply = nullptr);
bool SendScript(ExchangeHost& host, std::string_view script);
// Below 9600 baud hands over to QueryConfigSlow. `reply` (may be null) is set only when the
// reply holds "at".
bool QueryConfig(ExchangeHost& host, std::string* reply);
bool QueryConfigSlow(ExchangeHost& host, std::string* reply);
// "%s\n(error code %d)", then a line with the explanation and a hint where one helps. The
// explanation is the system's own account of the failure; empty, a description of the code.
void ShowSerialError(ExchangeHost& host, int32_t code, std::string_view message,
                     std::string_view explanation = {});
std::string SerialErrorText(int32_t code, std::string_view message,
                            std::string_view explanation = {});

// Commands of the buttons.
inline constexpr std::string_view kWifiScanCommand = "at+wifi_Scan=?\r\n";
inline constexpr std::string_view kTransparentCommand = "at+reconn=1\r\n";
inline constexpr std::string_view kFactoryResetCommand = "at+default=1\r\nat+reboot=1\r\n";
