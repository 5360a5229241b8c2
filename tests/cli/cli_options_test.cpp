#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_options.h"

namespace {

ParseResult Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

struct ValidCase {
    const char* name;
    std::vector<std::string> args;
    Command command;
    std::string port;
    uint32_t baud;
    bool autoBaud;
};

class CliParseValid : public ::testing::TestWithParam<ValidCase> {};

TEST_P(CliParseValid, ReadsCommandPortAndRate) {
    const ValidCase& c = GetParam();
    const ParseResult result = Parse(c.args);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(result.options.command, c.command);
    EXPECT_EQ(result.options.ports,
              c.port.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.port});
    EXPECT_EQ(result.options.baud, c.baud);
    EXPECT_EQ(result.options.autoBaud, c.autoBaud);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliParseValid,
    ::testing::Values(ValidCase{"DefaultRate",
                                {"-p", "/dev/ttyUSB0", "query"},
                                Command::kQuery,
                                "/dev/ttyUSB0",
                                115200,
                                false},
                      ValidCase{"LongOptionsWithEquals",
                                {"--port=/dev/x", "--baud=9600", "scan"},
                                Command::kScan,
                                "/dev/x",
                                9600,
                                false},
                      ValidCase{"AttachedShortValues",
                                {"-p/dev/x", "-b4800", "transparent"},
                                Command::kTransparent,
                                "/dev/x",
                                4800,
                                false},
                      ValidCase{"OptionsAfterCommand",
                                {"search", "--port", "/dev/x", "-b", "auto"},
                                Command::kSearch,
                                "/dev/x",
                                115200,
                                true},
                      ValidCase{"LaterRateWins",
                                {"-b", "auto", "-b", "57600", "-p", "p", "search"},
                                Command::kSearch,
                                "p",
                                57600,
                                false},
                      ValidCase{"PortsNeedsNoPort", {"ports"}, Command::kPorts, "", 115200, false},
                      ValidCase{
                          "ComposeNeedsNoPort", {"compose"}, Command::kCompose, "", 115200, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliParse, SubmitTakesOneSourceAndDashIsStandardInput) {
    const ParseResult result = Parse({"-p", "x", "submit", "-"});
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(result.options.source, "-");
}

TEST(CliParse, ComposeKeepsPairsInOrderAndSplitsAtTheFirstEquals) {
    const ParseResult result =
        Parse({"compose", "--from", "f.txt", "wifi_conf=a=b,wpa2_aes,k", "netmode=2", "ssid="});
    ASSERT_TRUE(result.Ok()) << result.error;
    ASSERT_EQ(result.options.compose.fromFile, "f.txt");
    const auto& pairs = result.options.compose.pairs;
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0], std::make_pair(std::string("wifi_conf"), std::string("a=b,wpa2_aes,k")));
    EXPECT_EQ(pairs[1].first, "netmode");
    EXPECT_EQ(pairs[2].second, "");
}

TEST(CliParse, DoubleDashEndsOptions) {
    const ParseResult result = Parse({"compose", "--", "remoteip=-q"});
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_FALSE(result.options.quiet);
    EXPECT_EQ(result.options.compose.pairs.at(0).second, "-q");
}

TEST(CliParse, HelpAndVersionNeedNoCommand) {
    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"-h"}).Ok());
    EXPECT_TRUE(Parse({"--version"}).options.version);
}

TEST(CliParse, BridgeTakesItsEndpointAndNumbers) {
    const ParseResult result = Parse({"-p",        "x",
                                      "bridge",    "--from",
                                      "m.json",    "--host",
                                      "127.0.0.1", "--net-port",
                                      "65535",     "--proto",
                                      "udp",       "--role",
                                      "client",    "--bytes",
                                      "2M",        "--probes",
                                      "0",         "--connect-timeout",
                                      "250",       "--guard",
                                      "0",         "--already-transparent",
                                      "--stay",    "--json"});
    ASSERT_TRUE(result.Ok()) << result.error;
    const BridgeRequest& bridge = result.options.bridge;
    EXPECT_EQ(result.options.command, Command::kBridge);
    EXPECT_EQ(result.options.compose.fromFile, "m.json");
    EXPECT_EQ(bridge.overrides.host, "127.0.0.1");
    EXPECT_EQ(bridge.overrides.port, 65535);
    EXPECT_EQ(bridge.overrides.proto, NetProto::kUdp);
    EXPECT_EQ(bridge.overrides.role, ModuleRole::kClient);
    EXPECT_EQ(bridge.bytes, 2u * 1024 * 1024);
    EXPECT_EQ(bridge.probes, 0u);
    EXPECT_EQ(bridge.connectTimeoutMs, 250u);
    EXPECT_EQ(bridge.escapeGuardMs, 0u);
    EXPECT_TRUE(bridge.alreadyTransparent);
    EXPECT_TRUE(bridge.stay);
    const BridgeRequest defaults = Parse({"-p", "x", "bridge"}).options.bridge;
    EXPECT_EQ(defaults.bytes, 65536u);
    EXPECT_FALSE(defaults.overrides.host || defaults.overrides.port);
}

struct InvalidCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;  // part of the error
};

class CliParseInvalid : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(CliParseInvalid, IsAUsageErrorThatSaysWhy) {
    const ParseResult result = Parse(GetParam().args);
    EXPECT_FALSE(result.Ok());
    EXPECT_NE(result.error.find(GetParam().message), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliParseInvalid,
    ::testing::Values(
        InvalidCase{"NoCommand", {"-p", "x"}, "no command"},
        InvalidCase{"UnknownCommand", {"frobnicate"}, "unknown command 'frobnicate'"},
        InvalidCase{"UnknownOption", {"--bogus", "ports"}, "unknown option '--bogus'"},
        InvalidCase{"FlagWithValue", {"--quiet=1", "ports"}, "unknown option"},
        InvalidCase{"MissingPort", {"query"}, "query needs --port"},
        InvalidCase{"PortWithoutValue", {"search", "-p"}, "needs a value"},
        InvalidCase{"ZeroRate", {"-p", "x", "-b", "0", "search"}, "invalid rate '0'"},
        InvalidCase{"NegativeRate", {"-p", "x", "-b", "-5", "search"}, "invalid rate"},
        InvalidCase{"RateWithSuffix", {"-p", "x", "-b", "9600x", "search"}, "invalid rate"},
        InvalidCase{"RateBeyond32Bits", {"-p", "x", "-b", "4294967296", "search"}, "invalid rate"},
        InvalidCase{"SubmitWithoutSource", {"-p", "x", "submit"}, "needs a SOURCE"},
        InvalidCase{"SubmitTwoSources", {"-p", "x", "submit", "a", "b"}, "unexpected"},
        InvalidCase{"ResetWithoutYes", {"-p", "x", "reset"}, "--yes"},
        InvalidCase{"JsonOutsideQuery",
                    {"-p", "x", "scan", "--json"},
                    "--json applies only to ports and query"},
        InvalidCase{"VerboseOutsidePorts", {"-p", "x", "query", "-v"}, "-v applies only to ports"},
        InvalidCase{"FromOutsideCompose", {"-p", "x", "query", "--from", "f"}, "--from"},
        InvalidCase{"BridgePortZero", {"-p", "x", "bridge", "--net-port", "0"}, "is not a port"},
        InvalidCase{"BridgePortTooHigh",
                    {"-p", "x", "bridge", "--net-port=70000"},
                    "port 70000 is not a port (1 to 65535)"},
        InvalidCase{"BridgeHostName",
                    {"-p", "x", "bridge", "--host", "modem.lan"},
                    "--host: address \"modem.lan\" is not a dotted IPv4 address"},
        InvalidCase{"BridgeHostAny", {"-p", "x", "bridge", "--host", "0.0.0.0"}, "names no host"},
        InvalidCase{"BridgeProto", {"-p", "x", "bridge", "--proto", "TCP"}, "expected tcp or udp"},
        InvalidCase{"BridgeRole", {"-p", "x", "bridge", "--role", "peer"}, "server or client"},
        InvalidCase{"BridgeBytesZero", {"-p", "x", "bridge", "--bytes", "0"}, "invalid --bytes"},
        InvalidCase{"BridgeBytesHuge", {"-p", "x", "bridge", "--bytes", "65M"}, "invalid --bytes"},
        InvalidCase{"BridgeNeedsPort", {"bridge"}, "bridge needs --port"},
        InvalidCase{"StayOutsideBridge",
                    {"-p", "x", "transparent", "--stay"},
                    "--stay applies only to bridge"},
        InvalidCase{"HostOutsideBridge",
                    {"-p", "x", "query", "--host", "127.0.0.1"},
                    "--host applies only to bridge"},
        InvalidCase{"PairWithoutEquals", {"compose", "netmode"}, "expected KEY=VALUE"},
        InvalidCase{"EmptyKey", {"compose", "=1"}, "empty key"},
        InvalidCase{"KeyOfEqualsOnly", {"compose", "==1"}, "empty key"},
        InvalidCase{"KeyOutsideAlphabet", {"compose", "a+netmode=3"}, "invalid key"},
        InvalidCase{"ValueWithLf", {"compose", "remoteip=1\nat+netmode=3"}, "CR, LF or NUL"},
        InvalidCase{"ValueWithCr", {"compose", "remoteip=1\r"}, "CR, LF or NUL"},
        InvalidCase{"KeyWithLf", {"compose", "net\nmode=1"}, "CR, LF or NUL"},
        InvalidCase{
            "ValueWithNul", {"compose", std::string("remoteip=1\0x", 12)}, "CR, LF or NUL"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
