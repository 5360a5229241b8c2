#include "compose_command.h"

#include <ostream>
#include <sstream>
#include <vector>

#include "cli_main.h"
#include "exit_codes.h"
#include "form_model.h"
#include "script_form.h"
#include "script_source.h"
#include "session.h"

std::string RecomposeFromStartUp(std::string_view script) {
    FormModel form;
    Session().StartUpForm(form);
    ApplyScript(form, script);
    return ComposeScript(form);
}

std::string StartUpScript() {
    FormModel form;
    Session().StartUpForm(form);
    return ComposeScript(form);
}

int RunCompose(const ComposeRequest& request, std::istream& in, std::ostream& out,
               std::ostream& err) {
    // The applier takes the first line of a key, so the pairs go first to override the rest.
    std::string script;
    for (const auto& [key, value] : request.pairs) script += "at+" + key + "=" + value + "\r\n";
    if (request.fromFile) {
        std::string file;
        std::string error;
        if (const int status = ReadScriptFile(*request.fromFile, in, file, error)) {
            err << "qn7cfg: " << error << '\n';
            return status;
        }
        script += file;
    } else {
        script += StartUpScript();
    }
    out << RecomposeFromStartUp(script);
    return exit_code::kOk;
}

ComposeOutcome ComposeFromArguments(std::span<const std::string> args, std::istream& in) {
    std::vector<std::string> commandLine{"compose"};
    commandLine.insert(commandLine.end(), args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    ComposeOutcome outcome;
    outcome.exitCode = RunCli(commandLine, in, out, err);
    outcome.script = std::move(out).str();
    outcome.error = std::move(err).str();
    return outcome;
}
