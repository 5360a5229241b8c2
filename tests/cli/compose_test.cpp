#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compose_command.h"
#include "exit_codes.h"

namespace {

// The command pane after the first form change following start-up: the first preset applied
// to a fresh form (blank IP controls read 0.0.0.0, no encryption selected), then composed.
const std::string kStartUp =
    "at+netmode=1\r\nat+dhcpd=0\r\nat+wifi_conf=,,\r\nat+dhcpc=1\r\n"
    "at+net_ip=0.0.0.0,0.0.0.0,0.0.0.0\r\nat+net_dns=0.0.0.0,0.0.0.0\r\n"
    "at+remotepro=tcp\r\nat+mode=server\r\nat+remoteip=192.168.11.245\r\n"
    "at+remoteport=8080\r\nat+CLport=\r\nat+timeout=0\r\nat+uart=115200,8,n,1\r\n"
    "at+uartpacklen=64\r\nat+uartpacktimeout=10\r\nat+net_commit=1\r\nat+reconn=1\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

ComposeOutcome Compose(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    return ComposeFromArguments(args, in);
}

TEST(CliCompose, StartUpScriptIsTheFirstPresetRecomposed) {
    EXPECT_EQ(StartUpScript(), kStartUp);
    const ComposeOutcome outcome = Compose({});
    EXPECT_EQ(outcome.exitCode, exit_code::kOk);
    EXPECT_EQ(outcome.script, kStartUp);
    EXPECT_EQ(outcome.error, "");
}

struct PairCase {
    const char* name;
    std::vector<std::string> pairs;
    std::string expected;
};

class CliComposePairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(CliComposePairs, OverrideTheStartUpScript) {
    const ComposeOutcome outcome = Compose(GetParam().pairs);
    EXPECT_EQ(outcome.exitCode, exit_code::kOk) << outcome.error;
    EXPECT_EQ(outcome.script, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliComposePairs,
    ::testing::Values(
        PairCase{"RemoteHost",
                 {"remoteip=10.0.0.9", "remoteport=9000"},
                 Replace(Replace(kStartUp, "192.168.11.245", "10.0.0.9"), "=8080", "=9000")},
        PairCase{"WifiStation",
                 {"netmode=2", "wifi_conf=Lab Floor 2,wpa2_aes,s3cret"},
                 Replace(Replace(kStartUp, "netmode=1", "netmode=2"), "wifi_conf=,,",
                         "wifi_conf=Lab Floor 2,wpa2_aes,s3cret")},
        PairCase{"UdpClientWithLocalPort",
                 {"remotepro=udp", "mode=client", "CLport=7000"},
                 Replace(Replace(Replace(kStartUp, "=tcp", "=udp"), "=server", "=client"),
                         "CLport=", "CLport=7000")},
        PairCase{
            "StaticAddress",
            {"dhcpc=0", "net_ip=10.1.2.3,255.0.0.0,10.0.0.1", "net_dns=10.0.0.53,8.8.8.8"},
            Replace(Replace(Replace(kStartUp, "dhcpc=1", "dhcpc=0"),
                            "net_ip=0.0.0.0,0.0.0.0,0.0.0.0", "net_ip=10.1.2.3,255.0.0.0,10.0.0.1"),
                    "net_dns=0.0.0.0", "net_dns=10.0.0.53")},
        PairCase{"FirstPairOfAKeyWins",
                 {"uart=9600,7,e,2", "uart=57600,8,n,1"},
                 Replace(kStartUp, "uart=115200,8,n,1", "uart=9600,7,e,2")},
        PairCase{"UnknownKeyChangesNothing", {"colour=blue"}, kStartUp}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliCompose, LongValueIsComposedWhole) {
    const std::string host(300, 'h');
    const ComposeOutcome outcome = Compose({"remoteip=" + host});
    EXPECT_NE(outcome.script.find("at+remoteip=" + host + "\r\n"), std::string::npos);
}

class CliComposeFrom : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("qn7cfg-compose-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    }
    void TearDown() override { std::filesystem::remove(path_); }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    std::filesystem::path path_;
};

// An editor's LF-only file must read like the CR LF script the applier expects.
constexpr const char* kStaticLf =
    "at+netmode=1\nat+dhcpc=0\nat+net_ip=10.1.2.3,255.0.0.0,10.0.0.1\n";

TEST_F(CliComposeFrom, FileWithLfBreaksIsApplied) {
    Write(kStaticLf);
    const ComposeOutcome outcome = Compose({"--from", path_.string()});
    EXPECT_EQ(outcome.exitCode, exit_code::kOk);
    EXPECT_NE(outcome.script.find("at+dhcpc=0\r\nat+net_ip=10.1.2.3,255.0.0.0,10.0.0.1\r\n"),
              std::string::npos)
        << outcome.script;
    // The file replaces the start-up script, so what it leaves out is cleared.
    EXPECT_NE(outcome.script.find("at+remoteip=\r\n"), std::string::npos);
}

TEST_F(CliComposeFrom, PairsOverrideTheFile) {
    Write(kStaticLf);
    const ComposeOutcome outcome = Compose({"--from", path_.string(), "dhcpc=1"});
    EXPECT_NE(outcome.script.find("at+dhcpc=1\r\n"), std::string::npos);
    EXPECT_NE(outcome.script.find("at+net_ip=10.1.2.3,"), std::string::npos);
}

TEST_F(CliComposeFrom, DashReadsStandardInput) {
    const ComposeOutcome outcome = Compose({"--from", "-"}, kStaticLf);
    EXPECT_EQ(outcome.exitCode, exit_code::kOk);
    EXPECT_NE(outcome.script.find("at+dhcpc=0\r\n"), std::string::npos);
}

TEST_F(CliComposeFrom, MissingFileIsNoInputAndPrintsNoScript) {
    const ComposeOutcome outcome = Compose({"--from", path_.string()});
    EXPECT_EQ(outcome.exitCode, exit_code::kNoInput);
    EXPECT_EQ(outcome.script, "");
    EXPECT_NE(outcome.error.find("No such file"), std::string::npos) << outcome.error;
}

TEST(CliCompose, DirectoryAsFromIsNoInput) {
    const ComposeOutcome outcome =
        Compose({"--from", std::filesystem::temp_directory_path().string()});
    EXPECT_EQ(outcome.exitCode, exit_code::kNoInput);
    EXPECT_NE(outcome.error.find("a directory, not a regular file"), std::string::npos)
        << outcome.error;
}

TEST(CliCompose, InjectedLineIsAUsageErrorWithNoScript) {
    const ComposeOutcome outcome = Compose({std::string("remoteip=1\0at+netmode=3", 24)});
    EXPECT_EQ(outcome.exitCode, exit_code::kUsage);
    EXPECT_EQ(outcome.script, "");
    EXPECT_NE(outcome.error.find("qn7cfg: compose:"), std::string::npos);
}

}  // namespace
