// The bridge check's report as people read it: the table qn7cfg prints and the Bridge window
// shows, and the figures and names it is made of.
#pragma once

#include <string>
#include <string_view>

#include "bridge_check.h"

// The table: endpoint, line, each way's counts and rate against the line, latency, command
// mode and the result.
std::string BridgeTable(const BridgeReport& report);
// "confirmed", "not confirmed", "not asked".
std::string_view CommandModeName(CommandMode mode);
// The line's own limit: ten bits a byte.
double LineBytesPerSecond(const BridgeReport& report);
// `value` with `decimals` decimals.
std::string FixedText(double value, int decimals);
