// compose: the script the dialog would show for a form set by one script, without a module.
#pragma once

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

// The KEY=VALUE lines, then FILE or the start-up script, applied and composed. Prints the
// script on `out`; returns the exit status.
int RunCompose(const ComposeRequest& request, std::istream& in, std::ostream& out,
               std::ostream& err);

struct ComposeOutcome {
    int exitCode = 0;
    std::string script;  // standard output
    std::string error;   // standard error
};

// "qn7cfg compose ARGS..." as a function: the arguments after "compose". Never opens a port.
ComposeOutcome ComposeFromArguments(std::span<const std::string> args, std::istream& in);
