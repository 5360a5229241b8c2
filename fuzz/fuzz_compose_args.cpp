// "qn7cfg compose" argument handling: NUL-separated arguments; the whole input is also standard
// input, for "--from -".
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "compose_command.h"
#include "exit_codes.h"
#include "script_invariants.h"

namespace {

std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> args;
    for (std::size_t end; (end = text.find('\0')) != std::string_view::npos;
         text.remove_prefix(end + 1))
        args.emplace_back(text.substr(0, end));
    args.emplace_back(text);
    return args;
}

// A file other than standard input would make the run depend on this machine's files.
bool ReadsOnlyStandardInput(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        for (const std::string_view option : {"--from", "--from-json", "--ports-from"}) {
            if (arg == option && i + 1 < args.size() && args[i + 1] != "-") return false;
            const std::string attached = std::string(option) + "=";
            if (arg.starts_with(attached) && arg != attached + "-") return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = SplitArguments(input);
    if (!ReadsOnlyStandardInput(args)) return 0;
    std::istringstream in{std::string(input)};
    const ComposeOutcome outcome = ComposeFromArguments(args, in);
    if (outcome.exitCode != exit_code::kOk) {
        // Refusals: a bad command line, an unreadable source, or a script unfit to send (a NUL).
        if (outcome.exitCode != exit_code::kUsage && outcome.exitCode != exit_code::kNoInput &&
            outcome.exitCode != exit_code::kDataError)
            std::abort();
        if (!outcome.script.empty()) std::abort();  // a refused command line prints no script
        return 0;
    }
    if (outcome.script.starts_with("at+")) RequireCommandLinesOnly(outcome.script);
    return 0;
}
