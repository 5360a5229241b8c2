// Answers that set nothing, keys nobody asked for, and control bytes from the module: what
// qn7cfg prints and composes from a crafted answer.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli_main.h"
#include "cli_run.h"
#include "crafted_module.h"
#include "exit_codes.h"
#include "json_text.h"
#include "pty_pair.h"

namespace {

using namespace std::string_literals;

CliRun Query(const CraftedModule& module, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"-p", module.Path(), "query"};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunQn7cfg(args);
}

TEST(FaultAnswers, AnAnswerWithoutAnyFormKeyIsNoModule) {
    // "at" is there (the found test holds), but nothing that sets the form: a backup made from
    // it would hold the start-up form's values.
    CraftedModule module("at\r\nok\r\n" + Answer("ver", "V1.0"));
    const CliRun run = Query(module);
    EXPECT_EQ(run.status, exit_code::kUnavailable);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("answered none of the settings"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("netmode, wifi_conf, dhcpc"), std::string::npos) << run.err;
}

TEST(FaultAnswers, SomeFormKeysMissingIsAWarningNamingThem) {
    CraftedModule module(Answer("netmode", "2") + Answer("wifi_conf", "Lab,wpa2_aes,k") +
                         Answer("remoteip", "10.0.0.9"));
    const CliRun run = Query(module);
    EXPECT_EQ(run.status, exit_code::kOk) << run.err;
    EXPECT_NE(run.out.find("at+wifi_conf=Lab,wpa2_aes,k\r\n"), std::string::npos) << run.out;
    const std::size_t warning = run.err.find("qn7cfg: warning: no answer for dhcpc, net_ip");
    ASSERT_NE(warning, std::string::npos) << run.err;
    const std::string line = run.err.substr(warning, run.err.find('\n', warning) - warning);
    EXPECT_EQ(line.find("netmode"), std::string::npos) << line;
    EXPECT_EQ(line.find("remoteip"), std::string::npos) << line;
}

// A key left unanswered is not shown as the start-up form has it: its field comes out empty
// (the remote address), 0.0.0.0 (an address control) or as no line (the protocol).
TEST(FaultAnswers, TheWarningSaysWhatAKeyLeftUnansweredBecomes) {
    const std::string answer = Answer("netmode", "2") + Answer("wifi_conf", "Lab,wpa2_aes,k");
    const CliRun run = Query(CraftedModule(answer));
    EXPECT_EQ(run.status, exit_code::kOk) << run.err;
    EXPECT_EQ(run.err.find("fresh form"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the script holds what the form makes of an empty answer for them "
                           "(blank text, 0.0.0.0, or no line), not the module's values"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("at+remoteip=\r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("at+net_ip=0.0.0.0,0.0.0.0,0.0.0.0\r\n"), std::string::npos);
    EXPECT_EQ(run.out.find("at+remotepro="), std::string::npos) << run.out;

    const CliRun json = Query(CraftedModule(answer), {"--json"});
    EXPECT_NE(json.err.find("remoteip, remoteport, remotepro, mode, uart, CLport; they are "
                            "left out\n"),
              std::string::npos)
        << json.err;
}

TEST(FaultAnswers, JsonListsOnlyTheKeysAsked) {
    CraftedModule module(Answer("netmode", "1") + "\rat+default=1\r" + "at+reboot=1\r");
    const CliRun run = Query(module, {"--json"});
    EXPECT_EQ(run.status, exit_code::kOk) << run.err;
    Json profile;
    std::string error;
    ASSERT_TRUE(ParseJson(run.out, profile, error)) << error << run.out;
    EXPECT_EQ(profile["settings"], Json({{"netmode", "1"}})) << run.out;
}

// SSID and key with an escape sequence, BEL and backspaces that would rewrite the line in the
// module's line editor.
const std::string kHostileWifi = "Lab\x1b]0;owned\x07,wpa2_aes,k\bX\x7f\x01"s;

TEST(FaultAnswers, ControlBytesNeverReachTheComposedScript) {
    CraftedModule module(Answer("netmode", "2") + Answer("wifi_conf", kHostileWifi));
    const CliRun run = Query(module);
    EXPECT_EQ(run.status, exit_code::kOk) << run.err;
    EXPECT_NE(run.out.find("at+wifi_conf=Lab]0;owned,wpa2_aes,kX\r\n"), std::string::npos)
        << run.out;
    for (const char c : run.out) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 ? byte != 0x7F : (c == '\r' || c == '\n')) << int(byte);
    }
}

TEST(FaultAnswers, ControlBytesReachATerminalEscaped) {
    PtyPair terminal;
    ASSERT_FALSE(terminal.path.empty());
    // The child forks before any thread exists; the module's thread is its own.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(20);
        CraftedModule module(Answer("netmode", "2") + Answer("wifi_conf", kHostileWifi));
        dup2(terminal.slave, STDOUT_FILENO);
        dup2(terminal.slave, STDERR_FILENO);
        const std::vector<std::string> args{"-p", module.Path(), "query", "--json"};
        _exit(RunOnStandardStreams(args));
    }
    std::string shown;
    int status = 0;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         waitpid(child, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < end;) {
        shown += terminal.ReadMaster();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    shown += terminal.ReadMaster();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << shown;
    // The log line and the JSON each show the bytes as text.
    EXPECT_NE(shown.find("Lab\\x1B]0;owned\\x07,wpa2_aes,k\\x08X\\x7F\\x01"), std::string::npos)
        << shown;
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || c == '\r' || c == '\n' || c == '\t') << int(byte);
    }
}

TEST(FaultAnswers, RatesBelow110AreRefused) {
    const CliRun run = RunQn7cfg({"-p", "/dev/null", "-b", "109", "query"});
    EXPECT_EQ(run.status, exit_code::kUsage);
    EXPECT_NE(run.err.find("the lowest rate is 110 baud"), std::string::npos) << run.err;
}

}  // namespace
