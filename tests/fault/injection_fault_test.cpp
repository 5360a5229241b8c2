// Text that would smuggle a command line (CR, LF or NUL inside a form text or a KEY=VALUE) never
// reaches the wire: not from the dialog's form, not from the command line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "form_model.h"
#include "pane.h"
#include "recording_host.h"
#include "run_process.h"
#include "script_form.h"
#include "session.h"
#include "sim_module.h"

namespace {

using namespace std::string_literals;

const std::string kInjection = "x\r\nat+default=1\nat+reboot=1\r\0at+default=1"s;

// Every line the module received, each checked to be one of the lines the form composes.
std::vector<std::string> ReceivedLines(const std::string& received) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = received.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(received.substr(start, end - start));
    return lines;
}

class FaultInjectedLineFromTheForm : public ::testing::TestWithParam<int> {};

// The dialog's path: an edit changes, the form recomposes, Submit sends the composed script.
TEST_P(FaultInjectedLineFromTheForm, NeverReachesTheWire) {
    SimOptions options;
    options.pace = false;
    SimModule sim(options);
    ASSERT_EQ(sim.Start(), 0);
    MemoryPane cmd;
    Session session(&cmd, nullptr);
    FormModel form;
    form.SetNotifyHandler([&](int id, Notify code) { session.OnFormChanged(form, id, code); });
    session.StartUpForm(form);
    form.Click(ctl::kModeStation);
    const std::size_t cleanLines = ReceivedLines(session.Script()).size();
    form.SetText(GetParam(), kInjection);

    RecordingHost host;
    host.link = {sim.SlavePath(), 115200};
    host.sleepCapMs = 50;
    SendScript(host.Context(), session.Script());
    // What goes out ends at the script's first NUL, if any is left in it.
    const std::string received = sim.ReceivedAtLeast(std::strlen(session.Script().c_str()));
    const std::vector<std::string> lines = ReceivedLines(received);
    EXPECT_EQ(lines.size(), cleanLines) << received;
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.starts_with("at+default") || line.starts_with("at+reboot")) << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    EXPECT_FALSE(sim.State().empty());
    EXPECT_NE(received.find("at+reconn=1\r\n"), std::string::npos);  // sent whole
}

INSTANTIATE_TEST_SUITE_P(Edits, FaultInjectedLineFromTheForm,
                         ::testing::Values(ctl::kSsid, ctl::kKey, ctl::kRemoteIp, ctl::kRemotePort,
                                           ctl::kLocalPort));

struct CliInjectionCase {
    const char* name;
    std::vector<std::string> args;  // after --port
};

class FaultInjectedLineFromTheCommandLine : public ::testing::TestWithParam<CliInjectionCase> {};

TEST_P(FaultInjectedLineFromTheCommandLine, IsAUsageErrorAndSendsNothing) {
    SimModule sim;
    ASSERT_EQ(sim.Start(), 0);
    std::vector<std::string> args{"--port", sim.SlavePath()};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const ProcessResult result = RunProcess(QN7CFG_PATH, args, {"at+netmode=1\r\n"});
    EXPECT_EQ(result.exitCode, 64) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_EQ(sim.Received(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, FaultInjectedLineFromTheCommandLine,
    ::testing::Values(
        CliInjectionCase{"ComposeSsidWithCrLf",
                         {"compose", "wifi_conf=a\r\nat+default=1,wpa2_aes,k"}},
        CliInjectionCase{"ComposeKeyWithLf", {"compose", "wifi_conf=a,wpa2_aes,k\nat+reboot=1"}},
        CliInjectionCase{"ComposeRemoteHostWithCr", {"compose", "remoteip=h\rat+default=1"}},
        CliInjectionCase{"ComposePortWithLf", {"compose", "remoteport=80\nat+default=1"}},
        CliInjectionCase{"ComposeLocalPortWithCrLf", {"compose", "CLport=80\r\nat+reboot=1"}},
        CliInjectionCase{"SubmitWithAPair", {"submit", "-", "netmode=1\r\nat+default=1"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
