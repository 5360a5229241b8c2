// The settings the module's network side follows, read from its AT settings when it enters
// transparent mode.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct BridgeSettings {
    bool udp = false;    // remotepro
    bool server = true;  // mode
    std::string remoteIp;
    uint16_t remotePort = 0;
    uint16_t localPort = 0;  // CLport; 0: any
    std::size_t packLen = 64;
    uint32_t packTimeoutMs = 10;
};

// False when the settings name no endpoint the module could open: remoteport is not a port
// (1 to 65535). An unset or unusable CLport means any local port; unusable packing values
// keep the factory 64 bytes and 10 ms.
bool ReadBridgeSettings(const std::map<std::string, std::string>& settings, BridgeSettings* out);

// A port number 1 to 65535 written in decimal, nothing else.
bool ParsePort(std::string_view text, uint16_t* port);
// A dotted IPv4 address of four decimal fields 0 to 255, nothing else.
bool IsDottedIPv4(std::string_view text);
