// The texts of the configuration query: one block at 9600 baud and above, five chunks below.
// Their lines, the answers' shape and the cleaning of the reply (CleanQueryReply) are the AT
// line format's.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "at_line.h"

inline constexpr std::string_view kQueryLead = "at+ver=?\r\nat+remoteip=?\r\n";

// The keys asked for, in the order the module is asked; below 9600 baud only the first 19.
inline constexpr std::array<std::string_view, 27> kQueryKeys = {
    "netmode",   "wifi_conf",     "dhcpd",   "dhcpd_ip",  "dhcpd_dns",   "dhcpd_time",
    "dhcpc",     "net_ip",        "net_dns", "net_wanip", "remoteip",    "remoteport",
    "remotepro", "timeout",       "mode",    "uart",      "uartpacklen", "uartpacktimeout",
    "ver",       "CLport",        "escap",   "tcp_auto",  "Channel",     "S2N_Stat",
    "Get_MAC",   "wifi_ConState", "COM2",
};

// Below this link rate the query is asked in five chunks, leaving out the keys after the 19th.
inline constexpr uint32_t kSlowQueryBelowBaud = 9600;
inline constexpr std::size_t kSlowQueryKeyCount = 19;

// The keys a query at `baud` asks for.
inline std::span<const std::string_view> QueryKeysAsked(uint32_t baud) {
    return std::span(kQueryKeys)
        .first(baud < kSlowQueryBelowBaud ? kSlowQueryKeyCount : kQueryKeys.size());
}

// 125 spaces, "dd" and CR LF: sent between the lead lines and the block.
std::string QuerySpacer();
// One query line for each key.
std::string QueryBlock();
// The slow query's five chunks: keys 1-4, 5-8, 9-12, 13-16 and 17-19.
std::array<std::string, 5> QueryChunks();
