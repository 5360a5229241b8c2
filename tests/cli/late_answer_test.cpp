// --fast against a module that echoes each line at once and answers it late: a fast window may
// end early only once the reply is complete, so it prints, logs and exits exactly as the fixed
// window does, whether the answer comes inside the window or after it.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "exit_codes.h"
#include "sim_module.h"

namespace {

struct LateCase {
    const char* name;
    std::vector<std::string> args;
    uint32_t answerDelayMs;
    uint32_t scanDelayMs;
    std::string input;  // standard input
    // The late answer, which the fixed window shows (standard output or error) when it comes
    // inside the window, and which a fast window that stops at the echo loses.
    const char* answer;
    bool insideTheWindow;
};

void PrintTo(const LateCase& c, std::ostream* os) {
    *os << c.name;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Outcome {
    CliRun run;
    std::string wire;
};

Outcome RunAgainstLateModule(const LateCase& c, bool fast) {
    SimOptions options;
    options.answerDelayMs = c.answerDelayMs;
    options.scanDelayMs = c.scanDelayMs;
    SimModule sim(options);
    Outcome outcome;
    if (sim.Start() != 0) return outcome;
    std::vector<std::string> args = {"--port", sim.SlavePath()};
    if (fast) args.push_back("--fast");
    args.insert(args.end(), c.args.begin(), c.args.end());
    outcome.run = RunQn7cfg(args, c.input);
    // A second simulator may get another pseudo-terminal: compare the texts without it.
    outcome.run.out = ReplaceAll(outcome.run.out, sim.SlavePath(), "PORT");
    outcome.run.err = ReplaceAll(outcome.run.err, sim.SlavePath(), "PORT");
    outcome.wire = sim.Received();
    return outcome;
}

class LateAnswer : public ::testing::TestWithParam<LateCase> {};

TEST_P(LateAnswer, FastReadsNoLessThanTheFixedWindow) {
    const LateCase& c = GetParam();
    const Outcome fixed = RunAgainstLateModule(c, false);
    const Outcome fast = RunAgainstLateModule(c, true);
    EXPECT_FALSE(fixed.wire.empty());
    EXPECT_EQ(fast.wire, fixed.wire);
    EXPECT_EQ(fast.run.status, fixed.run.status) << fast.run.err;
    EXPECT_EQ(fast.run.out, fixed.run.out);
    EXPECT_EQ(fast.run.err, fixed.run.err);
    const std::string shown = fixed.run.out + fixed.run.err;
    EXPECT_EQ(shown.find(c.answer) != std::string::npos, c.insideTheWindow) << shown;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LateAnswer,
    ::testing::Values(
        // The search window is 100 ms: the "ok" 60 ms after the echo is in it.
        LateCase{"SearchOkInsideTheWindow", {"search"}, 60, 0, "", "at\r\r\nok\r", true},
        LateCase{"SearchOkAfterTheWindow", {"search"}, 400, 0, "", "at\r\r\nok\r", false},
        // A submit's window is 500 ms.
        LateCase{
            "ErrorSixtyMsAfterTheEcho", {"submit", "-"}, 60, 0, "at+nosuchkey=1\n", "ERROR", true},
        LateCase{"OkInsideTheWindow", {"transparent"}, 300, 0, "", "at+reconn=1\r\r\nok\r", true},
        LateCase{"OkAfterTheWindow", {"transparent"}, 900, 0, "", "at+reconn=1\r\r\nok\r", false},
        // The scan's window at 115200 is 4000 ms: the list 2.5 s after the echo is in it.
        LateCase{"ScanListLongAfterTheEcho", {"-q", "scan"}, 0, 2500, "", "Workshop", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
