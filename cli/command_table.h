// The commands of qn7cfg as one table: the parser, the usage text (and so --help, the man page
// and the bash completion, which read it) and the dispatch all come from it.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

enum class Command {
    kNone,
    kPorts,
    kSearch,
    kQuery,
    kSubmit,
    kApply,
    kDiff,
    kScan,
    kTransparent,
    kBridge,
    kReset,
    kCompose
};

struct CliOptions;

// Runs a parsed command line; returns the exit status.
using CommandRunner = int (*)(const CliOptions& options, std::istream& in, std::ostream& out,
                              std::ostream& err);

struct CommandSpec {
    std::string_view name;
    Command command;
    CommandRunner run;
    // As the usage shows it: the name, then the command's options and arguments. An option of
    // a command is any word of it that starts with "-".
    std::string_view syntax;
    std::string_view help;  // lines of the description, each ended by LF
};

std::span<const CommandSpec> Commands();
const CommandSpec* FindCommand(std::string_view name);
const CommandSpec& SpecOf(Command command);

// Whether `word` (an option such as "--json", an argument such as "SOURCE") stands in the
// syntax of `command`.
bool InSyntax(Command command, std::string_view word);

// The --help text.
std::string UsageText();
