// Outcomes said as they are, on a terminal too: the module ends its answers with a bare CR, so a
// terminal would let each answer overwrite the one before (a mid-script ERROR never seen) and,
// with several ports, the next line its port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli_main.h"
#include "cli_run.h"
#include "exit_codes.h"
#include "pty_pair.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace {

struct Shown {
    int status = -1;
    std::string text;  // what the terminal got
};

// Runs `child` in a process of its own whose standard error is a terminal (its standard output
// too when `outputToo`, else /dev/null), and collects what the terminal was given.
template <typename Child>
Shown OnTerminal(bool outputToo, Child child) {
    PtyPair terminal;
    Shown shown;
    if (terminal.path.empty()) return shown;
    // The child forks before any thread exists; the simulators' threads are its own.
    const pid_t pid = fork();
    if (pid < 0) return shown;
    if (pid == 0) {
        alarm(30);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(outputToo ? terminal.slave : devNull, STDOUT_FILENO);
        dup2(terminal.slave, STDERR_FILENO);
        _exit(child());
    }
    int status = 0;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < end;) {
        shown.text += terminal.ReadMaster();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    shown.text += terminal.ReadMaster();
    shown.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return shown;
}

// Lines as a terminal shows them: a CR followed by anything but CR or LF would return to the
// start of the line and overwrite it.
std::vector<std::string> ShownLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c == '\r') {
            const bool overwrites =
                i + 1 < text.size() && text[i + 1] != '\r' && text[i + 1] != '\n';
            if (overwrites) line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The first line is refused: the simulator answers ERROR, and then the echo of the next line.
const std::string kScript = "at+nosuchkey=1\r\nat+netmode=1\r\n";

TEST(FaultOutcomes, AnErrorMidScriptStaysOnItsOwnLineOnATerminal) {
    TempDir dir("qn7cfg-terminal");
    const std::string script = dir.Write("s.txt", kScript).string();
    const Shown shown = OnTerminal(true, [&] {
        SimModule sim;
        if (sim.Start() != 0) return 99;
        return RunOnStandardStreams(
            std::vector<std::string>{"-p", sim.SlavePath(), "submit", script});
    });
    const std::vector<std::string> lines = ShownLines(shown.text);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ERROR"), lines.end()) << shown.text;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "at+netmode=1"), lines.end()) << shown.text;
}

TEST(FaultOutcomes, EveryLineKeepsItsPortOnATerminal) {
    TempDir dir("qn7cfg-terminal");
    const std::string script = dir.Write("s.txt", kScript).string();
    const Shown shown = OnTerminal(false, [&] {
        SimModule a;
        SimModule b;
        if (a.Start() != 0 || b.Start() != 0) return 99;
        return RunOnStandardStreams(
            std::vector<std::string>{"-p", a.SlavePath(), "-p", b.SlavePath(), "submit", script});
    });
    const std::vector<std::string> lines = ShownLines(shown.text);
    ASSERT_FALSE(lines.empty()) << shown.text;
    std::size_t errors = 0;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        EXPECT_TRUE(line.starts_with("/dev/")) << line << "\n" << shown.text;
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos && line.substr(colon + 2) == "ERROR") ++errors;
    }
    EXPECT_EQ(errors, 2u) << shown.text;
}

TEST(FaultOutcomes, AScanReplyWithoutAtSaysThatBytesArrived) {
    SimOptions capitals;
    capitals.fault = SimFault::kCapitals;
    capitals.scanDelayMs = 50;
    SimModule sim(capitals);
    ASSERT_EQ(sim.Start(), 0);
    const CliRun run = RunQn7cfg({"-q", "-p", sim.SlavePath(), "scan"});
    EXPECT_EQ(run.status, exit_code::kUnavailable);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("bytes arrived without \"at\", which is not the module's echo"),
              std::string::npos)
        << run.err;
}

TEST(FaultOutcomes, EachRefusedLineOfASubmitIsNamedAndFailsIt) {
    SimModule sim;
    ASSERT_EQ(sim.Start(), 0);
    const std::string script = "at+nosuchkey=1\nat+netmode=2\nat+othermissing=x\n";
    const CliRun run = RunQn7cfg({"-q", "-p", sim.SlavePath(), "submit", "-"}, script);
    EXPECT_EQ(run.status, exit_code::kDiffers);
    EXPECT_EQ(run.err, "qn7cfg: the module on " + sim.SlavePath() +
                           " refused \"at+nosuchkey=1\": \"ERROR\"\n"
                           "qn7cfg: the module on " +
                           sim.SlavePath() + " refused \"at+othermissing=x\": \"ERROR\"\n");
    EXPECT_EQ(sim.State().at("netmode"), "2");  // the lines between are taken all the same

    // With --verify the comparison decides: what the module took is all there.
    const CliRun verified =
        RunQn7cfg({"-q", "-p", sim.SlavePath(), "submit", "--verify", "-"}, script);
    EXPECT_EQ(verified.status, exit_code::kOk) << verified.err;
    EXPECT_NE(verified.err.find("refused \"at+nosuchkey=1\""), std::string::npos);
}

}  // namespace
