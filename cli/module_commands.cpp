#include "module_commands.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "at_line.h"
#include "at_text.h"
#include "bridge_command.h"
#include "compose_command.h"
#include "dialog_shell.h"
#include "exchange_feedback.h"
#include "exit_codes.h"
#include "form_model.h"
#include "interrupt_watch.h"
#include "port_fanout.h"
#include "profile.h"
#include "query_answers.h"
#include "query_texts.h"
#include "script_form.h"
#include "script_source.h"
#include "serial_port.h"
#include "session.h"
#include "settings_diff.h"
#include "terminal_host.h"
#include "terminal_text.h"

namespace {

// The exit status of an exchange that got no reply from the module, with what the user reads of
// it: the error box's text for a serial error, a line of its own for silence.
int Failed(const TerminalHost& host, const ExchangeResult& result, std::ostream& err,
           std::string_view what) {
    // Stopped by an interrupt: RunModuleCommand says so and exits with its status.
    if (result.outcome == ExchangeOutcome::kStopped || host.Stopped())
        return exit_code::kUnavailable;
    if (result.outcome == ExchangeOutcome::kSerialError) {
        err << SerialErrorText(result.failure) << '\n';
        return result.failure.code == kErrorAccessDenied ? exit_code::kNoPermission
                                                         : exit_code::kIoError;
    }
    if (result.reply.empty()) {
        err << "qn7cfg: no module answered on " << host.Link().port << ' ' << what << '\n';
    } else {
        // Bytes came, but not the module's echo: a wrong rate's noise, another device.
        err << "qn7cfg: no module answered on " << host.Link().port << ' ' << what << ": "
            << result.reply.size() << (result.reply.size() == 1 ? " byte" : " bytes")
            << " arrived without \"at\", which is not the module's echo\n";
    }
    return exit_code::kUnavailable;
}

int NoReply(const TerminalHost& host, const ExchangeResult& result, std::ostream& err) {
    return Failed(host, result, err, "at " + std::to_string(host.Link().baud) + " baud");
}

template <typename Keys>
std::string Joined(const Keys& keys) {
    std::string joined;
    for (std::string_view key : keys) joined.append(joined.empty() ? "" : ", ").append(key);
    return joined;
}

struct ModuleSettings {
    std::string reply;
    Answers answers;
    std::vector<std::string_view> missing;  // settings of the form left unanswered
};

// A reply that answers "at" but none of the keys the form takes (a truncated answer, noise at
// the wrong rate) would pass for the start-up form: a backup made of it would restore zeros,
// and a comparison with it would be meaningless.
int AskModule(TerminalHost& host, std::ostream& err, ModuleSettings& settings) {
    const ExchangeResult query = QueryConfig(host.Context());
    if (query.outcome != ExchangeOutcome::kReplied) return NoReply(host, query, err);
    settings.reply = query.reply;
    const std::span<const std::string_view> asked = QueryKeysAsked(host.Link().baud);
    settings.answers = AnsweredKeys(CleanQueryReply(settings.reply), asked);
    std::vector<std::string_view> formKeys;
    for (std::string_view key : asked) {
        if (std::find(kFormFieldKeys.begin(), kFormFieldKeys.end(), key) != kFormFieldKeys.end())
            formKeys.push_back(key);
    }
    settings.missing = MissingKeys(settings.answers, formKeys);
    if (settings.missing.size() == formKeys.size()) {
        err << "qn7cfg: the module on " << host.Link().port
            << " answered none of the settings asked for; missing: " << Joined(settings.missing)
            << '\n';
        return exit_code::kUnavailable;
    }
    return exit_code::kOk;
}

// The answers as a script that restores them: a line for each setting the module can be given,
// in the order asked, then the commit and the return to transparent mode, as a composed script
// ends.
std::string RawScript(const Answers& answers) {
    std::string script;
    for (const auto& [key, value] : answers) {
        if (!IsReadOnlyKey(key)) AppendAtLine(script, key, value);
    }
    AppendAtLine(script, "net_commit", "1");
    return script + std::string(kTransparentCommand);
}

int Query(TerminalHost& host, const CliOptions& options, std::ostream& out, std::ostream& err) {
    ModuleSettings module;
    if (const int status = AskModule(host, err, module)) return status;
    if (!module.missing.empty()) {
        err << "qn7cfg: warning: no answer for " << Joined(module.missing)
            << (options.json || options.raw
                    ? "; they are left out"
                    : "; the script holds what the form makes of an empty answer for them "
                      "(blank text, 0.0.0.0, or no line), not the module's values")
            << '\n';
    }
    if (options.json) {
        out << ProfileText(host.Link(), UtcTimeText(std::chrono::system_clock::now()),
                           module.answers);
        return exit_code::kOk;
    }
    if (options.raw) {
        out << RawScript(module.answers);
        return exit_code::kOk;
    }
    // The command pane of a freshly started dialog after its Query button.
    FormModel form;
    Session session;
    session.StartUpForm(form);
    TakeQueryReply(session, form, module.reply);
    out << session.Script();
    return exit_code::kOk;
}

struct Comparison {
    std::size_t differing = 0;
    std::size_t unverified = 0;  // settings this query does not read back
};

// Queries and prints each key `wanted` sets that the module holds otherwise; says which keys
// the query cannot compare. A setting left unverified fails the comparison as a difference
// does: nothing shows that the module took it.
int Compare(TerminalHost& host, std::string_view wanted, std::ostream& out, std::ostream& err,
            Comparison& comparison) {
    ModuleSettings module;
    if (const int status = AskModule(host, err, module)) return status;
    const Answers settings = ScriptSettings(wanted);
    const std::span<const std::string_view> asked = QueryKeysAsked(host.Link().baud);
    const std::vector<Difference> differences = Differences(module.answers, settings, asked);
    PrintDifferences(differences, out);
    const Unchecked unchecked = UncheckedKeys(settings, asked);
    if (!unchecked.notVerifiable.empty()) {
        err << "qn7cfg: not verifiable (no query reads them back): "
            << Joined(unchecked.notVerifiable) << '\n';
    }
    if (!unchecked.notAsked.empty()) {
        err << "qn7cfg: not verified: " << Joined(unchecked.notAsked) << " (the query below "
            << kSlowQueryBelowBaud << " baud does not read them back)\n";
    }
    comparison = {differences.size(), unchecked.notAsked.size()};
    return differences.empty() && unchecked.notAsked.empty() ? exit_code::kOk : exit_code::kDiffers;
}

// Sends `script`; names each line the module answered ERROR or FAIL. Such refusals fail the
// command (settings differ) unless `refusalsFail` is false, when a comparison decides.
int Send(TerminalHost& host, std::string_view script, std::ostream& err, bool refusalsFail = true) {
    const ExchangeResult sent = SendScript(host.Context(), script);
    if (sent.outcome != ExchangeOutcome::kReplied) return NoReply(host, sent, err);
    const std::vector<RefusedLine> refused = RefusedLines(script, sent.reply);
    for (const RefusedLine& line : refused) {
        err << "qn7cfg: the module on " << host.Link().port << " refused "
            << QuotedForMessage(line.line) << ": " << QuotedForMessage(line.answer) << '\n';
    }
    return refused.empty() || !refusalsFail ? exit_code::kOk : exit_code::kDiffers;
}

// Transparent mode ends the module's answers to queries: the line that enters it goes last,
// and only to a module that took every setting, so one that did not stays open to a retry.
int SendVerified(TerminalHost& host, std::string_view script, std::ostream& out,
                 std::ostream& err) {
    const HeldBack held = HoldBackTransparentLine(script);
    if (!held.script.empty()) {
        if (const int status = Send(host, held.script, err, false)) return status;
    }
    Comparison comparison;
    if (const int status = Compare(host, held.script, out, err, comparison)) {
        if (status == exit_code::kDiffers) {
            err << "qn7cfg: the module on " << host.Link().port;
            if (comparison.differing != 0) {
                err << " did not take " << comparison.differing
                    << (comparison.differing == 1 ? " setting" : " settings");
            }
            if (comparison.unverified != 0) {
                err << (comparison.differing != 0 ? " and" : "") << " could not be checked for "
                    << comparison.unverified
                    << (comparison.unverified == 1 ? " setting" : " settings");
            }
            err << (held.transparentLine ? "; at+reconn=1 not sent" : "") << '\n';
        }
        return status;
    }
    return held.transparentLine ? Send(host, kTransparentCommand, err) : exit_code::kOk;
}

int Scan(TerminalHost& host, std::ostream& out, std::ostream& err) {
    const ExchangeResult scan = ScanWifi(host.Context(), kWifiScanCommand);
    if (scan.outcome != ExchangeOutcome::kReplied) return NoReply(host, scan, err);
    out << scan.reply;
    if (!scan.reply.ends_with('\n')) out << '\n';
    return exit_code::kOk;
}

// With -b auto (and for search itself): the rate the module answers at, for what follows.
int SearchFirst(const CliOptions& options, TerminalHost& host, std::ostream& err) {
    if (options.command != Command::kSearch && !options.autoBaud) return exit_code::kOk;
    const ExchangeResult search = SearchModule(host.Context());
    if (search.outcome != ExchangeOutcome::kReplied)
        return Failed(host, search, err, "at any rate");
    host.SetLinkBaud(*search.foundBaud);
    return exit_code::kOk;
}

// `script`: what submit and apply send, what diff compares with.
int RunCommand(const CliOptions& options, std::string_view script, TerminalHost& host,
               std::ostream& out, std::ostream& err) {
    if (const int status = SearchFirst(options, host, err)) return status;
    switch (options.command) {
        case Command::kSearch:
            out << host.Link().port << ' ' << host.Link().baud << '\n';
            return exit_code::kOk;
        case Command::kQuery:
            return Query(host, options, out, err);
        case Command::kSubmit:
        case Command::kApply:
            return options.verify ? SendVerified(host, script, out, err) : Send(host, script, err);
        case Command::kDiff: {
            Comparison comparison;
            return Compare(host, script, out, err, comparison);
        }
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

// Bad input is refused before any port is opened, so nothing reaches the wire; standard input
// is read once, whatever the number of ports.
int ReadInput(const CliOptions& options, std::istream& in, std::string& script, std::ostream& err) {
    const std::filesystem::path slotDir = options.slotDir.value_or(".");
    if (options.command == Command::kApply || options.command == Command::kDiff) {
        return ReadComposedSource(options.source, slotDir, in, script, err);
    }
    if (options.command != Command::kSubmit) return exit_code::kOk;
    std::string error;
    const int status = ReadSubmitSource(options.source, slotDir, in, script, error);
    if (status != exit_code::kOk) err << "qn7cfg: " << error << '\n';
    return status;
}

// The hosts of the ports running now, so that an interrupt stops every one of them.
class RunningHosts {
  public:
    void Add(TerminalHost& host) {
        std::lock_guard guard(lock_);
        hosts_.push_back(&host);
        if (stopped_) host.Stop();
    }
    void Remove(TerminalHost& host) {
        std::lock_guard guard(lock_);
        std::erase(hosts_, &host);
    }
    void StopAll() {
        std::lock_guard guard(lock_);
        stopped_ = true;
        for (TerminalHost* host : hosts_) host->Stop();
    }

  private:
    std::mutex lock_;
    std::vector<TerminalHost*> hosts_;
    bool stopped_ = false;
};

// The bridge check: its own output, and figures for the summary table.
PortOutcome RunBridge(const CliOptions& options, const std::optional<std::string>& settings,
                      TerminalHost& host, std::ostream& out, std::ostream& err) {
    if (const int status = SearchFirst(options, host, err)) return {status, host.Link().baud, {}};
    BridgeRun run = RunBridgeOnPort(options, settings, host, out, err);
    return {run.status, host.Link().baud, std::move(run.detail)};
}

}  // namespace

int RunModuleCommand(const CliOptions& options, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    std::string script;
    if (const int status = ReadInput(options, in, script, err)) return status;
    std::optional<std::string> bridgeSettings;
    if (options.command == Command::kBridge) {
        if (const int status = ReadBridgeSettings(options, in, &bridgeSettings, err)) return status;
    }
    RunningHosts running;
    InterruptWatch interrupt([&running] { running.StopAll(); });
    const int status = RunOnPorts(
        options.ports,
        [&](const std::string& port, std::ostream& portOut, std::ostream& portErr) {
            TerminalHost host({port, options.baud, options.fast}, options.quiet, portErr);
            running.Add(host);
            PortOutcome outcome =
                options.command == Command::kBridge
                    ? RunBridge(options, bridgeSettings, host, portOut, portErr)
                    : PortOutcome{RunCommand(options, script, host, portOut, portErr),
                                  host.Link().baud,
                                  {}};
            running.Remove(host);
            return outcome;
        },
        out, err);
    if (interrupt.ExitStatus() != 0) {
        err << "qn7cfg: interrupted; the port was restored and released\n";
        return interrupt.ExitStatus();
    }
    return status;
}
