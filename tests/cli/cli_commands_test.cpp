// qn7cfg's commands in-process through its entry point against the simulated module: standard
// output, standard error, the exit status, and the bytes that reached the wire.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "cli_sim_fixture.h"
#include "exit_codes.h"
#include "process_probe.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

class CliCommand : public CliOnSim {
  protected:
    // A module command on the simulator's port.
    CliRun RunOnPort(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {"--port", port_});
        return RunQn7cfg(args, input);
    }
};

// ---- bad input: a message, the usage or input status, and nothing on the wire --------------

struct BadInputCase {
    const char* name;
    std::vector<std::string> args;  // "PORT" is replaced by the simulator's port
    int status;
    const char* message;
};

class CliBadInput : public CliCommand, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(CliBadInput, IsRefusedBeforeTheWire) {
    std::vector<std::string> args = GetParam().args;
    for (std::string& arg : args) {
        if (arg == "PORT") arg = port_;
        if (arg == "DIR") arg = dir_.Path().string();
    }
    const CliRun result = RunQn7cfg(args);
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, GetParam().message)) << result.err;
    EXPECT_EQ(sim_->Received(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliBadInput,
    ::testing::Values(
        BadInputCase{"UnknownCommand",
                     {"-p", "PORT", "frobnicate"},
                     exit_code::kUsage,
                     "unknown command 'frobnicate'"},
        BadInputCase{"UnknownOption",
                     {"-p", "PORT", "--speed", "9600", "search"},
                     exit_code::kUsage,
                     "unknown option '--speed'"},
        BadInputCase{"MissingPort", {"transparent"}, exit_code::kUsage, "needs --port"},
        BadInputCase{"ZeroRate",
                     {"-p", "PORT", "-b", "0", "transparent"},
                     exit_code::kUsage,
                     "invalid rate '0'"},
        BadInputCase{"WordRate",
                     {"-p", "PORT", "-b", "fast", "query"},
                     exit_code::kUsage,
                     "invalid rate 'fast'"},
        BadInputCase{"ResetWithoutYes", {"-p", "PORT", "reset"}, exit_code::kUsage, "--yes"},
        BadInputCase{"MissingSourceFile",
                     {"-p", "PORT", "submit", "/nonexistent/script.txt"},
                     exit_code::kNoInput,
                     "cannot read '/nonexistent/script.txt'"},
        BadInputCase{"DirectoryAsSource",
                     {"-p", "PORT", "submit", "DIR"},
                     exit_code::kNoInput,
                     "it is a directory, not a regular file"},
        BadInputCase{"MissingSlot",
                     {"-p", "PORT", "--slot-dir", "DIR", "submit", "user2"},
                     exit_code::kNoInput,
                     "cannot read user slot 'user2'"},
        BadInputCase{"PairWithLf",
                     {"-p", "PORT", "compose", "remoteip=1\nat+default=1"},
                     exit_code::kUsage,
                     "CR, LF or NUL"},
        BadInputCase{"PairWithCr",
                     {"-p", "PORT", "compose", "remoteip=1\r"},
                     exit_code::kUsage,
                     "CR, LF or NUL"},
        BadInputCase{"EmptyKey", {"compose", "=1"}, exit_code::kUsage, "empty key"},
        BadInputCase{"FastWithoutModule",
                     {"--fast", "compose"},
                     exit_code::kUsage,
                     "--fast applies only to the commands that talk to the module"},
        BadInputCase{"KeyWithPlus", {"compose", "x+netmode=3"}, exit_code::kUsage, "invalid key"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the commands against the module --------------------------------------------------------

TEST_F(CliCommand, SearchFindsAModuleAt57600OnTheThirdAttempt) {
    StartSim({.baud = 57600});
    const CliRun result = RunOnPort({"-q", "search"});
    EXPECT_EQ(result.status, exit_code::kOk);
    EXPECT_EQ(result.out, port_ + " 57600\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(sim_->ReceivedAtLeast(4 * 3), Repeat("at\r\n", 3));
}

TEST_F(CliCommand, SearchWithoutAnswerTriesNineRatesAndSaysSo) {
    StartSim({.fault = SimFault::kNoAnswer});
    const CliRun result = RunOnPort({"search"});
    EXPECT_EQ(result.status, exit_code::kUnavailable);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "no module answered on " + port_)) << result.err;
    EXPECT_EQ(sim_->ReceivedAtLeast(4 * 9), Repeat("at\r\n", 9));
}

TEST_F(CliCommand, QueryPrintsTheScriptRecomposedFromTheAnswers) {
    // Give the module settings unlike the start-up form, then read them back.
    const std::string settings =
        "at+netmode=2\r\nat+wifi_conf=Lab,wpa2_aes,s3cret\r\nat+remotepro=udp\r\n"
        "at+mode=client\r\nat+CLport=7000\r\n";
    ASSERT_EQ(RunOnPort({"-q", "submit", dir_.Write("s.txt", settings).string()}).status,
              exit_code::kOk);
    sim_->ClearReceived();

    const CliRun result = RunOnPort({"query"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    for (const char* line :
         {"at+netmode=2\r\nat+dhcpd=0\r\n", "at+wifi_conf=Lab,wpa2_aes,s3cret\r\n",
          "at+remotepro=udp\r\nat+mode=client\r\n", "at+CLport=7000\r\n",
          "at+uartpacklen=64\r\n"}) {
        EXPECT_TRUE(Contains(result.out, line)) << line << " in\n" << result.out;
    }
    EXPECT_TRUE(result.out.ends_with("at+reconn=1\r\n"));
    EXPECT_TRUE(Contains(result.err, ">:at+ver=?")) << result.err;
    const std::string wire = sim_->Received();
    EXPECT_EQ(wire.size(), kQueryBytes);
    EXPECT_TRUE(wire.starts_with("at+ver=?\r\nat+remoteip=?\r\n"));
}

TEST_F(CliCommand, QueryJsonListsEveryAnsweredKey) {
    const CliRun result = RunOnPort({"-q", "query", "--json"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("{\n") && result.out.ends_with("\n}\n")) << result.out;
    for (const auto& [key, value] : sim_->State()) {
        if (value.find_first_of("\"\\") != std::string::npos) continue;  // escaped elsewhere
        if (key == "wifi_Scan" || key == "default" || key == "reboot") continue;  // not queried
        EXPECT_TRUE(Contains(result.out, "\"" + key + "\": \"" + value + "\""))
            << key << "=" << value << " in\n"
            << result.out;
    }
}

TEST_F(CliCommand, QueryBelow9600AsksInFiveChunks) {
    StartSim({.baud = 4800});
    const CliRun result = RunOnPort({"-q", "-b", "4800", "query"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_TRUE(result.out.starts_with("at+netmode=1\r\n"));
    // CLport is not asked at these rates, so the local port comes back empty.
    EXPECT_TRUE(Contains(result.out, "at+CLport=\r\n"));
    const std::string wire = sim_->Received();
    EXPECT_EQ(wire.size(), kSlowQueryBytes);
    EXPECT_TRUE(wire.starts_with("at+netmode=?\r\nat+wifi_conf=?\r\nat+dhcpd=?\r\n"));
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Fast reply windows change when the windows end, nothing the user or the module sees.
TEST_F(CliCommand, FastGivesTheSameResultLogAndWire) {
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"query"}, {"-b", "auto", "transparent"}}) {
        StartSim({.baud = 57600});
        CliRun fixed = RunOnPort(command);
        const std::string fixedWire = sim_->Received();
        // The second simulator may get another pseudo-terminal: compare the texts without it.
        fixed.out = ReplaceAll(fixed.out, port_, "PORT");
        fixed.err = ReplaceAll(fixed.err, port_, "PORT");
        StartSim({.baud = 57600});
        std::vector<std::string> fastCommand = command;
        fastCommand.push_back("--fast");
        CliRun fast = RunOnPort(fastCommand);
        fast.out = ReplaceAll(fast.out, port_, "PORT");
        fast.err = ReplaceAll(fast.err, port_, "PORT");
        EXPECT_EQ(fast.status, fixed.status) << command[0];
        EXPECT_EQ(fast.out, fixed.out) << command[0];
        EXPECT_EQ(fast.err, fixed.err) << command[0];
        EXPECT_EQ(sim_->Received(), fixedWire) << command[0];
        EXPECT_FALSE(fixedWire.empty());
    }
}

TEST_F(CliCommand, AutoRateSearchesFirstThenQueriesAtTheRateFound) {
    StartSim({.baud = 57600});
    const CliRun result = RunOnPort({"-b", "auto", "query"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.err, "(:Found Device at " + port_ + "(57600)!"));
    EXPECT_TRUE(Contains(result.out, "at+remoteip=192.168.11.245\r\n")) << result.out;
    const std::string wire = sim_->Received();
    EXPECT_TRUE(wire.starts_with(Repeat("at\r\n", 3) + "at+ver=?\r\n"));
    EXPECT_EQ(wire.size(), 3 * 4 + kQueryBytes);
}

struct SubmitCase {
    const char* name;
    std::string source;  // "file" or a slot name
    std::string text;
    std::string wire;
};

class CliSubmit : public CliCommand, public ::testing::WithParamInterface<SubmitCase> {};

TEST_P(CliSubmit, SendsTheScriptWithTheRightLineBreaks) {
    const SubmitCase& c = GetParam();
    std::vector<std::string> args = {"--slot-dir", dir_.Path().string(), "submit"};
    if (c.source == "file") {
        args.push_back(dir_.Write("script.txt", c.text).string());
    } else {
        dir_.Write(c.source, c.text);
        args.push_back(c.source);
    }
    const CliRun result = RunOnPort(args);
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, ">:")) << result.err;
    EXPECT_EQ(sim_->Received(), c.wire);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliSubmit,
    ::testing::Values(SubmitCase{"FileWithLf", "file", "at+remoteport=9000\nat+timeout=0\n",
                                 "at+remoteport=9000\r\nat+timeout=0\r\n"},
                      SubmitCase{"FileWithCrLfAndLoneCr", "file",
                                 "at+remoteport=9000\r\nat+CLport=1\r",
                                 "at+remoteport=9000\r\nat+CLport=1\r"},
                      SubmitCase{"SlotAsStored", "user1", "at+netmode=3\nat+dhcpd=1\r\n",
                                 "at+netmode=3\nat+dhcpd=1\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliCommand, ScanPrintsTheModulesReply) {
    const CliRun result = RunOnPort({"-q", "scan"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.out, "at+wifi_Scan")) << result.out;
    EXPECT_GT(result.out.size(), std::string("at+wifi_Scan=?\r\n").size());
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(sim_->Received(), "at+wifi_Scan=?\r\n");
}

TEST_F(CliCommand, TransparentPutsTheModuleIntoTransparentMode) {
    const CliRun result = RunOnPort({"transparent"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_EQ(sim_->Received(), "at+reconn=1\r\n");
    EXPECT_TRUE(sim_->Transparent());
}

TEST_F(CliCommand, ResetWithYesSendsTheFactoryReset) {
    const CliRun result = RunOnPort({"reset", "--yes"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_EQ(sim_->Received(), "at+default=1\r\nat+reboot=1\r\n");
}

// ---- failures on the line ------------------------------------------------------------------

struct SilentCase {
    const char* name;
    std::vector<std::string> args;
    std::string wire;
};

class CliSilentModule : public CliCommand, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(CliSilentModule, IsUnavailableAndPrintsNoResult) {
    StartSim({.fault = SimFault::kNoAnswer});
    const CliRun result = RunOnPort(GetParam().args);
    EXPECT_EQ(result.status, exit_code::kUnavailable);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "no module answered on " + port_ + " at 115200 baud"))
        << result.err;
    EXPECT_EQ(sim_->Received().substr(0, GetParam().wire.size()), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliSilentModule,
    ::testing::Values(SilentCase{"Query", {"query"}, "at+ver=?\r\n"},
                      SilentCase{"Transparent", {"transparent"}, "at+reconn=1\r\n"},
                      SilentCase{"Reset", {"reset", "--yes"}, "at+default=1\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliCommand, AnswerWithoutLowerCaseAtIsNoModule) {
    StartSim({.fault = SimFault::kGarbage});
    const CliRun result = RunOnPort({"transparent"});
    EXPECT_EQ(result.status, exit_code::kUnavailable);
}

TEST_F(CliCommand, QuietKeepsLogLinesOffStandardError) {
    const CliRun loud = RunOnPort({"transparent"});
    EXPECT_TRUE(Contains(loud.err, ">:at+reconn=1")) << loud.err;
    StartSim();
    const CliRun quiet = RunOnPort({"--quiet", "transparent"});
    EXPECT_EQ(quiet.status, exit_code::kOk);
    EXPECT_EQ(quiet.err, "");
}

TEST(CliNoModule, ComposeNeedsNoModule) {
    const CliRun result =
        RunQn7cfg({"compose", "netmode=3", "net_ip=192.168.16.254,255.255.255.0,0.0.0.0"});
    EXPECT_EQ(result.status, exit_code::kOk) << result.err;
    EXPECT_TRUE(
        Contains(result.out,
                 "at+netmode=3\r\nat+dhcpd=1\r\n"
                 "at+dhcpd_ip=192.168.16.1,192.168.16.254,255.255.255.0,192.168.16.254\r\n"))
        << result.out;
}

TEST(CliNoModule, PortsListsOnlyDevicePaths) {
    const CliRun result = RunQn7cfg({"ports"});
    EXPECT_EQ(result.status, exit_code::kOk);
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.starts_with("/dev/")) << line;
        EXPECT_FALSE(line.starts_with("/dev/pts/")) << line;  // pseudo-terminals are not ports
    }
}

// Root opens any file, so the run drops to the unprivileged user first: in a forked child, as
// that cannot be undone. The folder is open to that user, so only the port's own mode refuses.
TEST(CliNoModule, PortWithoutPermissionExitsNoPermission) {
    const TempDir dir("qn7cfg-locked");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0711), 0);
    const fs::path locked = dir.Write("locked-port", "");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const int status = RunInChild([&] {
        if (::geteuid() == 0 && !BecomeNobody()) return 100;
        const CliRun run = RunQn7cfg({"-p", locked.string(), "transparent"});
        return Contains(run.err, "Unable to open COM-port\n(error code 5)") ? run.status : 101;
    });
    EXPECT_EQ(status, exit_code::kNoPermission);
}

}  // namespace
