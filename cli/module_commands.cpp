#include "module_commands.h"

#include <algorithm>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "form_model.h"
#include "interrupt_watch.h"
#include "query_answers.h"
#include "query_reply.h"
#include "query_texts.h"
#include "script_form.h"
#include "script_source.h"
#include "session.h"
#include "terminal_host.h"

namespace {

// A serial error has already printed the error box's text; silence gets a line of its own.
int Failed(const TerminalHost& host, std::ostream& err, std::string_view what) {
    // Stopped by an interrupt: RunModuleCommand says so and exits with its status.
    if (host.Cancelled()) return exit_code::kUnavailable;
    const int status = host.FailureStatus();
    if (status == exit_code::kUnavailable) {
        err << "qn7cfg: no module answered on " << host.Link().port << ' ' << what << '\n';
    }
    return status;
}

int NoReply(const TerminalHost& host, std::ostream& err) {
    return Failed(host, err, "at " + std::to_string(host.Link().baud) + " baud");
}

std::string Joined(const std::vector<std::string_view>& keys) {
    std::string joined;
    for (std::string_view key : keys) joined.append(joined.empty() ? "" : ", ").append(key);
    return joined;
}

// A reply that answers "at" but none of the keys the form takes (a truncated answer, noise at
// the wrong rate) would print the start-up form as the module's settings: a backup made of it
// would restore zeros.
int Query(TerminalHost& host, bool json, std::ostream& out, std::ostream& err) {
    std::string reply;
    if (!QueryConfig(host, &reply)) return NoReply(host, err);
    const std::string cleaned = CleanQueryReply(reply);
    const std::span<const std::string_view> asked = QueryKeysAsked(host.Link().baud);
    const Answers answers = AnsweredKeys(cleaned, asked);
    std::vector<std::string_view> formKeys;
    for (std::string_view key : asked) {
        if (std::find(kFormFieldKeys.begin(), kFormFieldKeys.end(), key) != kFormFieldKeys.end())
            formKeys.push_back(key);
    }
    const std::vector<std::string_view> missing = MissingKeys(answers, formKeys);
    if (missing.size() == formKeys.size()) {
        err << "qn7cfg: the module on " << host.Link().port
            << " answered none of the settings asked for; missing: " << Joined(missing) << '\n';
        return exit_code::kUnavailable;
    }
    if (!missing.empty()) {
        err << "qn7cfg: warning: no answer for " << Joined(missing)
            << "; those settings are shown as on a fresh form\n";
    }
    if (json) {
        out << AnswersToJson(answers);
        return exit_code::kOk;
    }
    // The command pane of a freshly started dialog after its Query button.
    FormModel form;
    Session session;
    session.StartUpForm(form);
    TakeQueryReply(session, form, reply);
    out << session.Script();
    return exit_code::kOk;
}

int Send(TerminalHost& host, std::string_view script, std::ostream& err) {
    return SendScript(host, script) ? exit_code::kOk : NoReply(host, err);
}

int Scan(TerminalHost& host, std::ostream& out, std::ostream& err) {
    std::string reply;
    if (!ScanWifi(host, kWifiScanCommand, &reply)) return NoReply(host, err);
    out << reply;
    if (!reply.ends_with('\n')) out << '\n';
    return exit_code::kOk;
}

// The command's exchanges, over one host.
int RunExchanges(const CliOptions& options, const std::string& script, TerminalHost& host,
                 std::ostream& out, std::ostream& err) {
    if (options.command == Command::kSearch || options.autoBaud) {
        if (!SearchModule(host)) return Failed(host, err, "at any rate");
    }
    switch (options.command) {
        case Command::kSearch:
            out << host.Link().port << ' ' << host.Link().baud << '\n';
            return exit_code::kOk;
        case Command::kQuery:
            return Query(host, options.json, out, err);
        case Command::kSubmit:
            return Send(host, script, err);
        case Command::kScan:
            return Scan(host, out, err);
        case Command::kTransparent:
            return Send(host, kTransparentCommand, err);
        case Command::kReset:
            return Send(host, kFactoryResetCommand, err);
        default:
            return exit_code::kUsage;
    }
}

}  // namespace

int RunModuleCommand(const CliOptions& options, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    // Bad input is refused before the port is opened, so nothing reaches the wire.
    std::string script;
    if (options.command == Command::kSubmit) {
        std::string error;
        if (const int status = ReadSubmitSource(options.source, options.slotDir.value_or("."), in,
                                                script, error)) {
            err << "qn7cfg: " << error << '\n';
            return status;
        }
    }

    TerminalHost host({options.port, options.baud}, options.quiet, err);
    InterruptWatch interrupt([&host] { host.Stop(); });
    const int status = RunExchanges(options, script, host, out, err);
    if (interrupt.ExitStatus() != 0) {
        err << "qn7cfg: interrupted; the port was restored and released\n";
        return interrupt.ExitStatus();
    }
    return status;
}
