#include "exchange_feedback.h"

#include <array>

namespace {

const std::string& PortOrNone(const std::string& port) {
    static const std::string none = "(no port)";
    return port.empty() ? none : port;
}

std::string ResultText(ExchangeKind kind, ExchangeStatus result) {
    switch (result) {
        case ExchangeStatus::kRunning:
            return "running";
        case ExchangeStatus::kReplied:
            return kind == ExchangeKind::kSearch ? "found the module" : "the module replied";
        case ExchangeStatus::kNoReply:
            return kind == ExchangeKind::kSearch ? "no module answered" : "no reply";
        case ExchangeStatus::kSerialError:
            return "serial error";
        case ExchangeStatus::kStopped:
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

std::string NoReplyLogText(ExchangeKind kind, const std::string& port, uint32_t baud) {
    const std::string& where = PortOrNone(port);
    switch (kind) {
        case ExchangeKind::kSearch:
            return "(:no module answered on " + where + " at any of the 9 rates\r\n";
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
                       ExchangeStatus result) {
    return StatusText(port, baud) + " \u00b7 " + ExchangeName(kind) + ": " +
           ResultText(kind, result);
}
