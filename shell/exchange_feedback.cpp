#include "exchange_feedback.h"

#include <array>
#include <cstdio>

#include "serial_port.h"

namespace {

const std::string& PortOrNone(const std::string& port) {
    static const std::string none = "(no port)";
    return port.empty() ? none : port;
}

std::string ResultText(ExchangeKind kind, std::optional<ExchangeOutcome> outcome,
                       bool replyWithoutAt) {
    if (!outcome) return "running";
    switch (*outcome) {
        case ExchangeOutcome::kReplied:
            return kind == ExchangeKind::kSearch ? "found the module" : "the module replied";
        case ExchangeOutcome::kNoReply:
            if (kind == ExchangeKind::kSearch) return "no module answered";
            return replyWithoutAt ? "a reply without \"at\"" : "no reply";
        case ExchangeOutcome::kSerialError:
            return "serial error";
        case ExchangeOutcome::kStopped:
            return "stopped";
    }
    return {};
}

}  // namespace

std::string ExchangeName(ExchangeKind kind) {
    static const std::array<const char*, 6> names = {
        "Search", "Submit", "Query", "WiFi scan", "Transparent mode", "Factory reset"};
    return names[static_cast<std::size_t>(kind)];
}

std::string SerialErrorText(const SerialFailure& failure) {
    char head[260];
    std::snprintf(head, sizeof head, "%.*s\n(error code %d)",
                  static_cast<int>(failure.message.size()), failure.message.data(), failure.code);
    std::string text = head;
    text += '\n';
    text += failure.explanation;
    if (std::string hint = SerialErrorHint(failure.code); !hint.empty()) text += ". " + hint;
    return text;
}

std::string SerialErrorHint(int32_t code) {
    if (std::string hint = SystemHint(code); !hint.empty()) return hint;
    switch (code) {
        case kErrorFileNotFound:
            return "Check the port name and that the adapter is plugged in.";
        case kErrorBadUnit:
            return "Nothing that takes a serial line answers there (a socket, a device node "
                   "without its driver, the terminal device without a controlling terminal); "
                   "check the port name.";
        case kErrorSharingViolation:
            return "Another program holds the port; close it and try again.";
        case kErrorDeviceNotConnected:
            return "The device was disconnected; plug it in again and retry.";
        default:
            return {};
    }
}

std::string NoReplyLogText(ExchangeKind kind, const std::string& port, uint32_t baud,
                           bool replyWithoutAt) {
    const std::string& where = PortOrNone(port);
    if (replyWithoutAt && kind != ExchangeKind::kSearch) {
        return "(:the reply to " + ExchangeName(kind) + " on " + where + " at " +
               std::to_string(baud) +
               " baud holds no \"at\": it is not the module's echo (another rate, another "
               "device?)" +
               (kind == ExchangeKind::kQuery
                    ? "; the form and the command pane are left as they were\r\n"
                    : "\r\n");
    }
    switch (kind) {
        case ExchangeKind::kSearch:
            return "(:no module answered on " + where + " at any of the 9 rates" +
                   (replyWithoutAt ? "; what arrived held no \"at\"\r\n" : "\r\n");
        case ExchangeKind::kQuery:
            return "(:no reply to the query on " + where + " at " + std::to_string(baud) +
                   " baud; the form and the command pane are left as they were\r\n";
        default:
            return "(:no reply to " + ExchangeName(kind) + " on " + where + " at " +
                   std::to_string(baud) + " baud\r\n";
    }
}

std::string StoppedLogText(ExchangeKind kind, const std::string& port) {
    return "(:" + ExchangeName(kind) + " stopped; " + PortOrNone(port) + " is released\r\n";
}

std::string SlotMissingLogText(const std::string& path) {
    return "(:no user slot " + path + "; the command pane is unchanged\r\n";
}

std::string SlotSavedLogText(const std::string& path, std::size_t bytes) {
    return "(:saved " + path + " (" + std::to_string(bytes) + " bytes)\r\n";
}

std::string StatusText(const std::string& port, uint32_t baud) {
    return "Port " + PortOrNone(port) + " at " + std::to_string(baud) + " baud";
}

std::string StatusText(const std::string& port, uint32_t baud, ExchangeKind kind,
                       std::optional<ExchangeOutcome> outcome, bool replyWithoutAt) {
    return StatusText(port, baud) + " \u00b7 " + ExchangeName(kind) + ": " +
           ResultText(kind, outcome, replyWithoutAt);
}
