// The endpoint from the module's settings or the user's words, and the answers to bad ones.
#include <gtest/gtest.h>

#include "bridge_endpoint.h"

namespace {

// A cleaned query reply: script lines, each ended by CR.
constexpr std::string_view kQueried =
    "at+netmode=1\r\nat+dhcpc=1\r\nat+net_ip=192.168.11.254,255.255.255.0,192.168.11.1\r\n"
    "at+net_wanip=127.0.0.1\r\nat+remoteip=127.0.0.5\r\nat+remoteport=8080\r\n"
    "at+remotepro=tcp\r\nat+mode=server\r\nat+uartpacklen=32\r\nat+uartpacktimeout=20\r\n";

std::string With(std::string_view key, std::string_view value) {
    std::string text(kQueried);
    std::string line = "at+" + std::string(key) + "=";
    std::size_t at = text.find(line);
    std::size_t end = text.find('\r', at);
    return text.replace(at + line.size(), end - at - line.size(), value);
}

TEST(BridgeEndpoint, ServerIsTheAddressInUse) {
    std::string error;
    auto endpoint = EndpointFromSettings(kQueried, {}, &error);
    ASSERT_TRUE(endpoint) << error;
    EXPECT_EQ(endpoint->proto, NetProto::kTcp);
    EXPECT_EQ(endpoint->role, ModuleRole::kServer);
    EXPECT_EQ(endpoint->host, "127.0.0.1");
    EXPECT_EQ(endpoint->port, 8080);
    EXPECT_EQ(endpoint->packLen, 32u);
    EXPECT_EQ(endpoint->packTimeoutMs, 20u);
}

TEST(BridgeEndpoint, ClientIsWhereTheModuleConnects) {
    std::string error;
    auto endpoint = EndpointFromSettings(With("mode", "client"), {}, &error);
    ASSERT_TRUE(endpoint) << error;
    EXPECT_EQ(endpoint->role, ModuleRole::kClient);
    EXPECT_EQ(endpoint->host, "127.0.0.5");
    auto udp = EndpointFromSettings(With("remotepro", "udp"), {}, &error);
    ASSERT_TRUE(udp);
    EXPECT_EQ(udp->proto, NetProto::kUdp);
}

TEST(BridgeEndpoint, AScriptWithAStaticAddressNamesIt) {
    std::string script =
        "at+dhcpc=0\r\nat+net_ip=127.0.0.9,255.0.0.0,127.0.0.1\r\nat+remotepro=udp\r\n"
        "at+mode=server\r\nat+remoteport=7000\r\n";
    std::string error;
    auto endpoint = EndpointFromSettings(script, {}, &error);
    ASSERT_TRUE(endpoint) << error;
    EXPECT_EQ(endpoint->host, "127.0.0.9");
    EXPECT_EQ(endpoint->packLen, 64u);  // the factory packing when none is given
    EXPECT_EQ(endpoint->packTimeoutMs, 10u);
}

TEST(BridgeEndpoint, OverridesWinAndAllOfThemNeedNoSettings) {
    EndpointOverrides overrides;
    overrides.host = "127.0.0.2";
    overrides.port = 9000;
    std::string error;
    auto endpoint = EndpointFromSettings(kQueried, overrides, &error);
    ASSERT_TRUE(endpoint) << error;
    EXPECT_EQ(endpoint->host, "127.0.0.2");
    EXPECT_EQ(endpoint->port, 9000);
    overrides.proto = NetProto::kUdp;
    overrides.role = ModuleRole::kClient;
    EXPECT_TRUE(overrides.Complete());
    endpoint = EndpointFromSettings("", overrides, &error);
    ASSERT_TRUE(endpoint) << error;
    EXPECT_EQ(endpoint->proto, NetProto::kUdp);
}

TEST(BridgeEndpoint, BadSettingsSayWhatIsWrong) {
    struct Case {
        std::string settings;
        std::string_view says;
    };
    for (const Case& bad : {
             Case{With("net_wanip", ""), "net_wanip: no address"},
             Case{With("net_wanip", "0.0.0.0"), "net_wanip: address 0.0.0.0 names no host"},
             Case{With("net_wanip", "192.168.1"), "is not a dotted IPv4 address"},
             Case{With("remoteport", "0"), "remoteport: port 0 is not a port (1 to 65535)"},
             Case{With("remoteport", "65536"), "port 65536 is not a port"},
             Case{With("remoteport", "http"), "port \"http\" is not a number"},
             Case{With("remotepro", "sctp"), "remotepro \"sctp\" is neither tcp nor udp"},
             Case{With("mode", ""), "mode \"\" is neither server nor client"},
         }) {
        std::string error;
        EXPECT_FALSE(EndpointFromSettings(bad.settings, {}, &error));
        EXPECT_NE(error.find(bad.says), std::string::npos) << error;
    }
    std::string error;
    std::string client = With("mode", "client");
    client = client.replace(client.find("127.0.0.5"), 9, "server.lan");
    EXPECT_FALSE(EndpointFromSettings(client, {}, &error));
    EXPECT_NE(error.find("remoteip: address \"server.lan\""), std::string::npos) << error;
}

TEST(BridgeEndpoint, PortsAndHosts) {
    uint16_t port = 0;
    std::string error;
    EXPECT_TRUE(ParseEndpointPort("1", &port, &error));
    EXPECT_TRUE(ParseEndpointPort("65535", &port, &error));
    EXPECT_EQ(port, 65535);
    for (const char* bad : {"", "0", "65536", "99999999999999999999", "-1", "80 ", "0x50"})
        EXPECT_FALSE(ParseEndpointPort(bad, &port, &error)) << bad;
    EXPECT_TRUE(CheckEndpointHost("127.0.0.1", &error));
    for (const char* bad : {"", "0.0.0.0", "localhost", "1.2.3", "1.2.3.4.5", "256.1.1.1"})
        EXPECT_FALSE(CheckEndpointHost(bad, &error)) << bad;
}

}  // namespace
