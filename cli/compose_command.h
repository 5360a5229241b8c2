// compose: the script the dialog would show for a form set by one script, without a module.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "cli_options.h"

// A fresh start-up form, the script applied to it, then composed: what the command pane shows
// after the dialog applies that script (the Query button does exactly this with the answers).
std::string RecomposeFromStartUp(std::string_view script);

// What the command pane shows after the first form change following start-up.
std::string StartUpScript();

// The settings of a profile (`text`, read from `source`) as script lines, followed by the
// start-up script: keys the profile lacks keep the start-up form's values. Keys that are no
// setting of the module are reported on `err` and left out. Returns the exit status.
int ProfileScript(std::string_view source, std::string_view text, std::string& script,
                  std::ostream& err);

// What apply sends and diff compares with: SOURCE read as submit reads it (a profile when it
// looks like one), applied to the start-up form and composed. Returns the exit status; errors
// and warnings go to `err`.
int ReadComposedSource(std::string_view source, const std::filesystem::path& slotDir,
                       std::istream& in, std::string& script, std::ostream& err);

// The KEY=VALUE lines, then FILE, the profile or the start-up script, applied and composed.
// Prints the script on `out`; returns the exit status.
int RunCompose(const CliOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

struct ComposeOutcome {
    int exitCode = 0;
    std::string script;  // standard output
    std::string error;   // standard error
};

// "qn7cfg compose ARGS..." as a function: the arguments after "compose". Never opens a port.
ComposeOutcome ComposeFromArguments(std::span<const std::string> args, std::istream& in);
