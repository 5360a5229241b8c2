// What the dialog and qn7cfg say about each exchange's outcome: the error box's text, the log
// pane's "(:" lines and the status line, including the outcomes the module itself leaves
// silent. Plain text, no toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "exchanges.h"

enum class ExchangeKind { kSearch, kSubmit, kQuery, kWifiScan, kTransparent, kFactoryReset };

// "Search", "Query", …: the English name of the button that starts it.
std::string ExchangeName(ExchangeKind kind);

// The error box: "%s\n(error code %d)" from the step's message and the code, then a line with
// the explanation and a hint where one helps.
std::string SerialErrorText(const SerialFailure& failure);
// What the user can do about a code; empty where nothing helps.
std::string SerialErrorHint(int32_t code);
// The part of the hint that depends on the system the tool runs on; empty otherwise. Each
// system's backend defines it.
std::string SystemHint(int32_t code);

// The log line for an exchange that got no reply: nothing arrived, or (`replyWithoutAt`) what
// arrived does not hold the "at" of the module's echo, which is no reply of the module's but is
// not nothing either.
std::string NoReplyLogText(ExchangeKind kind, const std::string& port, uint32_t baud,
                           bool replyWithoutAt = false);
std::string StoppedLogText(ExchangeKind kind, const std::string& port);
std::string SlotMissingLogText(const std::string& path);
std::string SlotSavedLogText(const std::string& path, std::size_t bytes);

// "Port /dev/ttyUSB0 at 57600 baud", and with an exchange "… · Search: found the module"; an
// exchange without an outcome yet is running.
std::string StatusText(const std::string& port, uint32_t baud);
std::string StatusText(const std::string& port, uint32_t baud, ExchangeKind kind,
                       std::optional<ExchangeOutcome> outcome, bool replyWithoutAt = false);
