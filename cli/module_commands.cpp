#include "module_commands.h"

#include <ostream>
#include <string>

#include "exit_codes.h"
#include "form_model.h"
#include "query_answers.h"
#include "query_reply.h"
#include "query_texts.h"
#include "script_source.h"
#include "session.h"
#include "terminal_host.h"

namespace {

// A serial error has already printed the error box's text; silence gets a line of its own.
int Failed(const TerminalHost& host, std::ostream& err, std::string_view what) {
    const int status = host.FailureStatus();
    if (status == exit_code::kUnavailable) {
        err << "qn7cfg: no module answered on " << host.Link().port << ' ' << what << '\n';
    }
    return status;
}

int NoReply(const TerminalHost& host, std::ostream& err) {
    return Failed(host, err, "at " + std::to_string(host.Link().baud) + " baud");
}

int Query(TerminalHost& host, bool json, std::ostream& out, std::ostream& err) {
    std::string reply;
    if (!QueryConfig(host, &reply)) return NoReply(host, err);
    if (json) {
        out << AnswersToJson(AnsweredKeys(CleanQueryReply(reply)));
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
