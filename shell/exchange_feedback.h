// What the dialog says about each exchange's outcome, in the log pane's "(:" style and in the
// status line, including the outcomes the module itself leaves silent. Plain text, no toolkit.
#pragma once

#include <cstdint>
#include <string>

enum class ExchangeKind { kSearch, kSubmit, kQuery, kWifiScan, kTransparent, kFactoryReset };

enum class ExchangeStatus { kRunning, kReplied, kNoReply, kSerialError, kStopped };

// "Search", "Query", …: the English name of the button that starts it.
std::string ExchangeName(ExchangeKind kind);

// The log line for an exchange that got no reply; empty for the outcomes that have their own
// (a reply, the error box).
std::string NoReplyLogText(ExchangeKind kind, const std::string& port, uint32_t baud);
std::string StoppedLogText(ExchangeKind kind, const std::string& port);
std::string SlotMissingLogText(const std::string& path);
std::string SlotSavedLogText(const std::string& path, std::size_t bytes);

// "Port /dev/ttyUSB0 at 57600 baud", and with an exchange "… · Search: found the module".
std::string StatusText(const std::string& port, uint32_t baud);
std::string StatusText(const std::string& port, uint32_t baud, ExchangeKind kind,
                       ExchangeStatus result);
