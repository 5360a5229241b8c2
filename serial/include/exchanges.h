// The timed exchanges with the module. Each opens the selected port, talks, closes it again and
// returns what happened; nothing stays open between exchanges. On its way an exchange only
// reports log lines and progress: what the user is shown of its result is the caller's choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "exchange_stop.h"

struct LinkSettings {
    std::string port;  // device path: /dev/ttyUSB0, a pseudo-terminal, COM11 on Windows
    uint32_t baud = 115200;
    // Reply windows end once the reply is complete instead of always waiting their fixed time.
    bool fast = false;
};

enum class ExchangeOutcome {
    kReplied,      // the module answered: the reply holds "at"
    kNoReply,      // nothing, or nothing from the module, arrived; no step failed
    kSerialError,  // a step failed: see ExchangeResult::failure
    kStopped,      // ended early through the ExchangeStop
};

// The step that failed: the port's code, the step's message ("Unable to open COM-port") and the
// system's account of the failure, or a description of the code where it gave none.
struct SerialFailure {
    int32_t code = 0;
    std::string message;
    std::string explanation;
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::kNoReply;
    // The text of the last read that took in any byte, up to its first NUL, whatever the
    // outcome; empty when nothing arrived.
    std::string reply;
    std::optional<uint32_t> foundBaud;  // the search: the rate the module answered at
    SerialFailure failure;              // kSerialError only
};

// Where an exchange's log lines (">:" replies, the found line) and progress go as it runs.
class ExchangeLog {
  public:
    virtual ~ExchangeLog() = default;
    virtual void Log(std::string_view text) = 0;
    // The exchange's whole expected wait, announced once before it starts waiting.
    virtual void ExpectWait(uint32_t totalMs) { (void)totalMs; }
};

// What an exchange runs with: the link, the stop that ends its waits and cuts its port's
// transfers short from another thread, and where its lines go.
struct ExchangeContext {
    LinkSettings link;
    ExchangeStop& stop;
    ExchangeLog& log;
};

ExchangeResult SearchModule(const ExchangeContext& context);
ExchangeResult ScanWifi(const ExchangeContext& context, std::string_view command);
ExchangeResult SendScript(const ExchangeContext& context, std::string_view script);
// Below 9600 baud hands over to QueryConfigSlow.
ExchangeResult QueryConfig(const ExchangeContext& context);
ExchangeResult QueryConfigSlow(const ExchangeContext& context);

// Commands of the buttons.
inline constexpr std::string_view kWifiScanCommand = "at+wifi_Scan=?\r\n";
inline constexpr std::string_view kTransparentCommand = "at+reconn=1\r\n";
inline constexpr std::string_view kFactoryResetCommand = "at+default=1\r\nat+reboot=1\r\n";
