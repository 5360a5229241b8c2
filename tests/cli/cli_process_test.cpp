// qn7cfg as a process against the simulated module: standard output, standard error, the exit
// status, and the bytes that reached the wire.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "run_process.h"
#include "sim_module.h"

namespace {

namespace fs = std::filesystem;

// What the query exchange writes at 9600 baud and above: version and remote IP, the spacer
// line, then the block of 27 query lines.
constexpr std::size_t kQueryBytes = 25 + 129 + 393;
// Below 9600: five chunks, keys 1 to 19.
constexpr std::size_t kSlowQueryBytes = 57 + 58 + 62 + 52 + 50;

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliProcess : public ::testing::Test {
  protected:
    void StartSim(SimOptions options = {}) {
        options.scanDelayMs = 50;
        sim_ = std::make_unique<SimModule>(options);
        ASSERT_EQ(sim_->Start(), 0);
        port_ = sim_->SlavePath();
    }
    void SetUp() override { StartSim(); }

    ProcessResult Run(std::vector<std::string> args, ProcessOptions options = {}) {
        return RunProcess(QN7CFG_PATH, args, options);
    }
    // A module command on the simulator's port.
    ProcessResult RunOnPort(std::vector<std::string> args, ProcessOptions options = {}) {
        args.insert(args.begin(), {"--port", port_});
        return Run(args, options);
    }

    fs::path TempDir() {
        if (dir_.empty()) {
            dir_ = fs::temp_directory_path() /
                   ("qn7cfg-test-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
            fs::create_directories(dir_);
        }
        return dir_;
    }
    fs::path WriteFile(const std::string& name, const std::string& text) {
        const fs::path path = TempDir() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    std::unique_ptr<SimModule> sim_;
    std::string port_;
    fs::path dir_;
};

// ---- bad input: a message, the usage or input status, and nothing on the wire --------------

struct BadInputCase {
    const char* name;
    std::vector<std::string> args;  // "PORT" is replaced by the simulator's port
    int status;
    const char* message;
};

class CliBadInput : public CliProcess, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(CliBadInput, IsRefusedBeforeTheWire) {
    std::vector<std::string> args = GetParam().args;
    for (std::string& arg : args) {
        if (arg == "PORT") arg = port_;
        if (arg == "DIR") arg = TempDir().string();
    }
    const ProcessResult result = Run(args);
    EXPECT_EQ(result.exitCode, GetParam().status);
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
        BadInputCase{"KeyWithPlus", {"compose", "x+netmode=3"}, exit_code::kUsage, "invalid key"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the commands against the module --------------------------------------------------------

TEST_F(CliProcess, SearchPrintsPortAndRateAndLogsTheFoundLine) {
    const ProcessResult result = RunOnPort({"search"});
    EXPECT_EQ(result.exitCode, exit_code::kOk);
    EXPECT_EQ(result.out, port_ + " 115200\n");
    EXPECT_TRUE(Contains(result.err, ">:")) << result.err;
    EXPECT_TRUE(Contains(result.err, "(:Found Device at " + port_ + "(115200)!\r\n"));
    EXPECT_EQ(sim_->Received(), "at\r\n");
}

TEST_F(CliProcess, SearchFindsAModuleAt57600OnTheThirdAttempt) {
    StartSim({.baud = 57600});
    const ProcessResult result = RunOnPort({"-q", "search"});
    EXPECT_EQ(result.exitCode, exit_code::kOk);
    EXPECT_EQ(result.out, port_ + " 57600\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(sim_->Received(), Repeat("at\r\n", 3));
}

TEST_F(CliProcess, SearchWithoutAnswerTriesNineRatesAndSaysSo) {
    StartSim({.fault = SimFault::kNoAnswer});
    const ProcessResult result = RunOnPort({"search"});
    EXPECT_EQ(result.exitCode, exit_code::kUnavailable);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "no module answered on " + port_)) << result.err;
    EXPECT_EQ(sim_->Received(), Repeat("at\r\n", 9));
}

TEST_F(CliProcess, QueryPrintsTheScriptRecomposedFromTheAnswers) {
    // Give the module settings unlike the start-up form, then read them back.
    const std::string settings =
        "at+netmode=2\r\nat+wifi_conf=Lab,wpa2_aes,s3cret\r\nat+remotepro=udp\r\n"
        "at+mode=client\r\nat+CLport=7000\r\n";
    ASSERT_EQ(RunOnPort({"-q", "submit", WriteFile("s.txt", settings).string()}).exitCode,
              exit_code::kOk);
    sim_->ClearReceived();

    const ProcessResult result = RunOnPort({"query"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
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

TEST_F(CliProcess, QueryJsonListsEveryAnsweredKey) {
    const ProcessResult result = RunOnPort({"-q", "query", "--json"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
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

TEST_F(CliProcess, QueryBelow9600AsksInFiveChunks) {
    StartSim({.baud = 4800});
    const ProcessResult result = RunOnPort({"-q", "-b", "4800", "query"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(result.out.starts_with("at+netmode=1\r\n"));
    // CLport is not asked at these rates, so the local port comes back empty.
    EXPECT_TRUE(Contains(result.out, "at+CLport=\r\n"));
    const std::string wire = sim_->Received();
    EXPECT_EQ(wire.size(), kSlowQueryBytes);
    EXPECT_TRUE(wire.starts_with("at+netmode=?\r\nat+wifi_conf=?\r\nat+dhcpd=?\r\n"));
}

TEST_F(CliProcess, AutoRateSearchesFirstThenQueriesAtTheRateFound) {
    StartSim({.baud = 57600});
    const ProcessResult result = RunOnPort({"-b", "auto", "query"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.err, "(:Found Device at " + port_ + "(57600)!"));
    EXPECT_TRUE(Contains(result.out, "at+remoteip=192.168.11.245\r\n")) << result.out;
    const std::string wire = sim_->Received();
    EXPECT_TRUE(wire.starts_with(Repeat("at\r\n", 3) + "at+ver=?\r\n"));
    EXPECT_EQ(wire.size(), 3 * 4 + kQueryBytes);
}

struct SubmitCase {
    const char* name;
    std::string source;  // "file", "-", or a slot name
    std::string text;
    std::string wire;
};

class CliSubmit : public CliProcess, public ::testing::WithParamInterface<SubmitCase> {};

TEST_P(CliSubmit, SendsTheScriptWithTheRightLineBreaks) {
    const SubmitCase& c = GetParam();
    std::vector<std::string> args = {"--slot-dir", TempDir().string(), "submit"};
    ProcessOptions options;
    if (c.source == "file") {
        args.push_back(WriteFile("script.txt", c.text).string());
    } else if (c.source == "-") {
        args.push_back("-");
        options.input = c.text;
    } else {
        WriteFile(c.source, c.text);
        args.push_back(c.source);
    }
    const ProcessResult result = RunOnPort(args, options);
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, ">:")) << result.err;
    EXPECT_EQ(sim_->Received(), c.wire);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliSubmit,
    ::testing::Values(SubmitCase{"FileWithLf", "file", "at+remoteport=9000\nat+timeout=0\n",
                                 "at+remoteport=9000\r\nat+timeout=0\r\n"},
                      SubmitCase{"FileWithCrLfAndLoneCr", "file", "at+remoteport=9000\r\nat+x=1\r",
                                 "at+remoteport=9000\r\nat+x=1\r"},
                      SubmitCase{"StandardInput", "-", "at+netmode=2\nat+dhcpc=0\r\n",
                                 "at+netmode=2\r\nat+dhcpc=0\r\n"},
                      SubmitCase{"SlotAsStored", "user1", "at+netmode=3\nat+dhcpd=1\r\n",
                                 "at+netmode=3\nat+dhcpd=1\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliProcess, ScanPrintsTheModulesReply) {
    const ProcessResult result = RunOnPort({"-q", "scan"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.out, "at+wifi_Scan")) << result.out;
    EXPECT_GT(result.out.size(), std::string("at+wifi_Scan=?\r\n").size());
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(sim_->Received(), "at+wifi_Scan=?\r\n");
}

TEST_F(CliProcess, TransparentPutsTheModuleIntoTransparentMode) {
    const ProcessResult result = RunOnPort({"transparent"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_EQ(sim_->Received(), "at+reconn=1\r\n");
    EXPECT_TRUE(sim_->Transparent());
}

TEST_F(CliProcess, ResetWithYesSendsTheFactoryReset) {
    const ProcessResult result = RunOnPort({"reset", "--yes"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_EQ(sim_->Received(), "at+default=1\r\nat+reboot=1\r\n");
}

// ---- failures on the line ------------------------------------------------------------------

struct SilentCase {
    const char* name;
    std::vector<std::string> args;
    std::string wire;
};

class CliSilentModule : public CliProcess, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(CliSilentModule, IsUnavailableAndPrintsNoResult) {
    StartSim({.fault = SimFault::kNoAnswer});
    const ProcessResult result = RunOnPort(GetParam().args);
    EXPECT_EQ(result.exitCode, exit_code::kUnavailable);
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

TEST_F(CliProcess, AnswerWithoutLowerCaseAtIsNoModule) {
    StartSim({.fault = SimFault::kGarbage});
    const ProcessResult result = RunOnPort({"transparent"});
    EXPECT_EQ(result.exitCode, exit_code::kUnavailable);
}

TEST_F(CliProcess, MissingDeviceIsASerialErrorWithTheBoxText) {
    const ProcessResult result = Run({"-p", "/dev/qn7-no-such-port", "query"});
    EXPECT_EQ(result.exitCode, exit_code::kIoError);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "Unable to open COM-port\n(error code 2)\n")) << result.err;
}

TEST_F(CliProcess, PortWithoutPermissionExitsNoPermission) {
    const fs::path locked = WriteFile("locked-port", "");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const ProcessResult result =
        Run({"-p", locked.string(), "transparent"}, {.input = "", .dropRoot = true});
    EXPECT_EQ(result.exitCode, exit_code::kNoPermission) << result.err;
    EXPECT_TRUE(Contains(result.err, "Unable to open COM-port\n(error code 5)")) << result.err;
}

TEST_F(CliProcess, QuietKeepsLogLinesOffStandardError) {
    const ProcessResult loud = RunOnPort({"transparent"});
    EXPECT_TRUE(Contains(loud.err, ">:at+reconn=1")) << loud.err;
    StartSim();
    const ProcessResult quiet = RunOnPort({"--quiet", "transparent"});
    EXPECT_EQ(quiet.exitCode, exit_code::kOk);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(CliProcess, ComposeNeedsNoModule) {
    const ProcessResult result =
        Run({"compose", "netmode=3", "net_ip=192.168.16.254,255.255.255.0,0.0.0.0"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(
        Contains(result.out,
                 "at+netmode=3\r\nat+dhcpd=1\r\n"
                 "at+dhcpd_ip=192.168.16.1,192.168.16.254,255.255.255.0,192.168.16.254\r\n"))
        << result.out;
}

TEST_F(CliProcess, HelpAndVersionGoToStandardOutput) {
    const ProcessResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, exit_code::kOk);
    for (const char* command :
         {"ports", "search", "query", "submit", "scan", "transparent", "reset", "compose"}) {
        EXPECT_TRUE(Contains(help.out, command)) << command;
    }
    EXPECT_TRUE(Run({"--version"}).out.starts_with("qn7cfg "));
}

TEST_F(CliProcess, PortsListsOnlyDevicePaths) {
    const ProcessResult result = Run({"ports"});
    EXPECT_EQ(result.exitCode, exit_code::kOk);
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.starts_with("/dev/")) << line;
        EXPECT_FALSE(line.starts_with("/dev/pts/")) << line;  // pseudo-terminals are not ports
    }
}

}  // namespace
