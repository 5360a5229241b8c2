// compose: the script the dialog would show for a form set by one script, without a module.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "cli_options.h"
#include "query_answers.h"

// A fresh start-up form, the script applied to it, then composed: what the command pane shows
// after the dialog applies that script (the Query button does exactly this with the answers).
std::string RecomposeFromStartUp(std::string_view script);

// What the command pane shows after the first form change following start-up.
std::string StartUpScript();

// A profile restores what it holds, value for value: `composed` (the form's script for the
// profile, keys it lacks from the start-up form) with the profile's own value on the line of
// every key of `settings` but those in `keep`, and a line for each such key the form does not
// write (the DHCP server's pool outside access-point mode ...) just before "at+net_commit".
std::string WithProfileValues(std::string_view composed, const Answers& settings,
                              std::span<const std::string> keep);

// What apply sends and diff compares with: SOURCE read as submit reads it. A profile (text
// that looks like one) gives the form's script with its own values (WithProfileValues); a
// script is applied to the start-up form and composed, and must hold at least one
// "at+KEY=VALUE" line. Returns the exit status; errors and warnings go to `err`.
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
