// Where the PC meets the module's bridge on the network, read from the module's settings or
// given by the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net_socket.h"

enum class ModuleRole { kServer, kClient };

struct BridgeEndpoint {
    NetProto proto = NetProto::kTcp;
    // The module's role; the PC takes the other one: it connects to a module that serves, and
    // listens for one that is a client.
    ModuleRole role = ModuleRole::kServer;
    // Server: the module's address (net_wanip, the address in use). Client: the address the
    // module connects to (remoteip), which the PC listens on.
    std::string host;
    uint16_t port = 0;  // remoteport
    // The module's packing: a packet leaves at this many bytes or after this quiet time.
    std::size_t packLen = 64;
    uint32_t packTimeoutMs = 10;
};

// What the user gave to use instead of the module's own settings; unset parts come from them.
struct EndpointOverrides {
    std::optional<NetProto> proto;
    std::optional<ModuleRole> role;
    std::optional<std::string> host;
    std::optional<uint16_t> port;
    bool Complete() const { return proto && role && host && port; }
};

// The endpoint from the module's settings, as script lines (at+KEY=VALUE CR …: a cleaned query
// reply, a script, a profile's settings) with `overrides` applied. On failure `error` says
// what is missing or wrong, naming the setting, and nothing should be sent.
std::optional<BridgeEndpoint> EndpointFromSettings(std::string_view settings,
                                                   const EndpointOverrides& overrides,
                                                   std::string* error);

// A port 1 … 65535 in decimal; otherwise false and `error` says why.
bool ParseEndpointPort(std::string_view text, uint16_t* port, std::string* error);
// A dotted IPv4 address a socket can use (not 0.0.0.0); otherwise false and `error` says why.
bool CheckEndpointHost(std::string_view text, std::string* error);
bool ParseProto(std::string_view text, NetProto* proto);
bool ParseRole(std::string_view text, ModuleRole* role);
std::string_view ProtoName(NetProto proto);
std::string_view RoleName(ModuleRole role);
