#include "compose_command.h"

#include <algorithm>
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
#include "terminal_text.h"

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

// Reads a profile and reports what it holds that is not used: unknown keys and the duplicates
// of which the last is taken.
int ReadProfileSource(std::string_view source, std::string_view text, ProfileContents& profile,
                      std::ostream& err) {
    std::string error;
    if (const int status = ReadProfile(text, profile, error)) {
        return Refused(status, DescribedSource(source) + ": " + error, err);
    }
    for (const std::string& key : profile.unknownKeys) {
        err << "qn7cfg: warning: " << DescribedSource(source) << ": unknown key "
            << QuotedForMessage(key) << " ignored\n";
    }
    for (const JsonDuplicate& duplicate : profile.duplicates) {
        err << "qn7cfg: warning: " << DescribedSource(source) << ": ";
        for (std::size_t i = 0; i < duplicate.path.size(); ++i)
            err << (i == 0 ? "" : " / ") << QuotedForMessage(duplicate.path[i]);
        err << " stands twice; the last of them is taken\n";
    }
    return exit_code::kOk;
}

// Text that is no profile must hold a command line: anything else (a stray file, a profile
// that lost its first brace) would compose an empty form and wipe the module.
int RequireCommandLine(std::string_view source, std::string_view text, std::ostream& err) {
    bool found = false;
    ForEachScriptLine(text, [&](std::string_view line) {
        found = ParseAtLine(line).has_value();
        return !found;
    });
    if (found) return exit_code::kOk;
    return Refused(exit_code::kDataError,
                   DescribedSource(source) +
                       " is neither a profile nor a script: it holds no \"at+KEY=VALUE\" line",
                   err);
}

}  // namespace

std::string WithProfileValues(std::string_view composed, const Answers& settings,
                              std::span<const std::string> keep) {
    const auto exact = [&](std::string_view key) -> const std::string* {
        if (std::find(keep.begin(), keep.end(), key) != keep.end()) return nullptr;
        return FindAnswer(settings, key);
    };
    std::string script;
    std::vector<std::string_view> written;
    std::size_t commit = std::string::npos;  // where the lines the form does not write go
    ForEachScriptLine(composed, [&](std::string_view line) {
        if (line.empty()) return true;
        const std::optional<AtSetting> setting = ParseAtLine(line);
        if (setting && setting->key == "net_commit" && commit == std::string::npos)
            commit = script.size();
        const std::string* value = setting ? exact(setting->key) : nullptr;
        if (setting) written.push_back(setting->key);
        script += value ? AtLine(setting->key, *value) : std::string(line) + "\r\n";
        return true;
    });
    std::string missing;
    for (const auto& [key, value] : settings) {
        if (exact(key) && std::find(written.begin(), written.end(), key) == written.end())
            AppendAtLine(missing, key, value);
    }
    script.insert(commit == std::string::npos ? script.size() : commit, missing);
    return script;
}

int ReadComposedSource(std::string_view source, const std::filesystem::path& slotDir,
                       std::istream& in, std::string& script, std::ostream& err) {
    std::string text;
    std::string error;
    if (const int status = ReadSubmitSource(source, slotDir, in, text, error)) {
        return Refused(status, error, err);
    }
    if (!LooksLikeProfile(text)) {
        if (const int status = RequireCommandLine(source, text, err)) return status;
        script = RecomposeFromStartUp(text);
        return exit_code::kOk;
    }
    ProfileContents profile;
    if (const int status = ReadProfileSource(source, text, profile, err)) return status;
    script = WithProfileValues(RecomposeFromStartUp(profile.script + StartUpScript()),
                               profile.settings, {});
    return exit_code::kOk;
}

int RunCompose(const CliOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    const ComposeRequest& request = options.compose;
    // The applier takes the first line of a key, so the pairs go first to override the rest.
    std::string script;
    std::vector<std::string> pairKeys;
    for (const auto& [key, value] : request.pairs) {
        AppendAtLine(script, key, value);
        pairKeys.push_back(key);
    }
    const std::optional<std::string>& file = request.fromJson ? request.fromJson : request.fromFile;
    if (!file) {
        out << RecomposeFromStartUp(script + StartUpScript());
        return exit_code::kOk;
    }
    std::string text;
    std::string error;
    if (const int status = ReadScriptFile(*file, in, text, error)) {
        return Refused(status, error, err);
    }
    if (!request.fromJson) {
        if (const int status = RequireCommandLine(*file, text, err)) return status;
        out << RecomposeFromStartUp(script + text);
        return exit_code::kOk;
    }
    ProfileContents profile;
    if (const int status = ReadProfileSource(*file, text, profile, err)) return status;
    out << WithProfileValues(RecomposeFromStartUp(script + profile.script + StartUpScript()),
                             profile.settings, pairKeys);
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
