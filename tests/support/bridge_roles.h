// The four ways a module's bridge can meet the network, for the suites that run a check in each.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct BridgeRole {
    const char* name;
    const char* remotepro;
    const char* mode;
};

inline auto AllBridgeRoles() {
    return ::testing::Values(
        BridgeRole{"TcpServer", "tcp", "server"}, BridgeRole{"TcpClient", "tcp", "client"},
        BridgeRole{"UdpServer", "udp", "server"}, BridgeRole{"UdpClient", "udp", "client"});
}

inline std::string BridgeRoleName(const ::testing::TestParamInfo<BridgeRole>& info) {
    return info.param.name;
}
