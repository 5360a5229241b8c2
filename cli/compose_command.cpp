#include "compose_command.h"

#include <ostream>
#include <sstream>
#include <vector>

#include "at_line.h"
#include "cli_main.h"
#include "exit_codes.h"
#include "form_model.h"
#include "profile.h"
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

namespace {

int Refused(int status, std::string_view error, std::ostream& err) {
    err << "qn7cfg: " << error << '\n';
    return status;
}

}  // namespace

int ProfileScript(std::string_view source, std::string_view text, std::string& script,
                  std::ostream& err) {
    ProfileContents profile;
    std::string error;
    if (const int status = ReadProfile(text, profile, error)) {
        return Refused(status, DescribedSource(source) + ": " + error, err);
    }
    for (const std::string& key : profile.unknownKeys) {
        err << "qn7cfg: warning: " << DescribedSource(source) << ": unknown key \"" << key
            << "\" ignored\n";
    }
    script = profile.script + StartUpScript();
    return exit_code::kOk;
}

int ReadComposedSource(std::string_view source, const std::filesystem::path& slotDir,
                       std::istream& in, std::string& script, std::ostream& err) {
    std::string text;
    std::string error;
    if (const int status = ReadSubmitSource(source, slotDir, in, text, error)) {
        return Refused(status, error, err);
    }
    std::string settings = std::move(text);
    if (LooksLikeProfile(settings)) {
        if (const int status = ProfileScript(source, settings, text, err)) return status;
        settings = std::move(text);
    }
    script = RecomposeFromStartUp(settings);
    return exit_code::kOk;
}

int RunCompose(const CliOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    const ComposeRequest& request = options.compose;
    // The applier takes the first line of a key, so the pairs go first to override the rest.
    std::string script;
    for (const auto& [key, value] : request.pairs) AppendAtLine(script, key, value);
    const std::optional<std::string>& file = request.fromJson ? request.fromJson : request.fromFile;
    if (file) {
        std::string text;
        std::string error;
        if (const int status = ReadScriptFile(*file, in, text, error)) {
            return Refused(status, error, err);
        }
        if (request.fromJson) {
            std::string settings;
            if (const int status = ProfileScript(*file, text, settings, err)) return status;
            text = std::move(settings);
        }
        script += text;
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
