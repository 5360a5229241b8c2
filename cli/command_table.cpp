#include "command_table.h"

#include <algorithm>
#include <array>

#include "compose_command.h"
#include "module_commands.h"
#include "ports_command.h"

namespace {

constexpr std::array<CommandSpec, 11> kCommands = {{
    {"ports", Command::kPorts, RunPorts, "ports [-v] [--json]",
     "list the serial ports present, one per line; -v: each with\n"
     "what it is, as \"/dev/ttyUSB0 \u2014 FTDI FT232R USB UART\";\n"
     "--json: an array of objects with \"path\" and \"description\"\n"},
    {"search", Command::kSearch, RunModuleCommand, "search",
     "find the module's rate; prints \"PORT RATE\"\n"},
    {"query", Command::kQuery, RunModuleCommand, "query [--json | --raw]",
     "read the module's settings; prints the script recomposed from\n"
     "the answers, or with --json a profile: every key asked and\n"
     "answered with its value, and the port, rate and time; --raw:\n"
     "each setting answered as a line, a script that restores them\n"},
    {"submit", Command::kSubmit, RunModuleCommand, "submit SOURCE [--verify]",
     "send a script as is; SOURCE is a file, \"-\" for standard input,\n"
     "or user0 ... user3; --verify: send it without \"at+reconn=1\",\n"
     "query, compare every key it sets, and send \"at+reconn=1\"\n"
     "only when the module took them all\n"},
    {"apply", Command::kApply, RunModuleCommand, "apply SOURCE [--verify]",
     "compose from SOURCE (a profile, or a script as for submit),\n"
     "then submit the composed script; a profile's own values are\n"
     "sent for every setting it holds\n"},
    {"diff", Command::kDiff, RunModuleCommand, "diff SOURCE",
     "query, then compare with what \"apply SOURCE\" would set;\n"
     "prints each differing key as \"key: module \u2192 wanted\"\n"},
    {"scan", Command::kScan, RunModuleCommand, "scan", "WiFi scan; prints the module's reply\n"},
    {"transparent", Command::kTransparent, RunModuleCommand, "transparent",
     "put the module into transparent mode\n"},
    {"bridge", Command::kBridge, RunModuleCommand,
     "bridge [--from FILE] [--host ADDR] [--net-port N] [--proto PROTO] [--role ROLE] "
     "[--bytes N] [--probes N] [--connect-timeout MS] [--guard MS] [--already-transparent] "
     "[--stay] [--json]",
     "check that the module's bridge carries data both ways: the\n"
     "endpoint from a query (net_wanip, remoteport, remotepro, mode),\n"
     "from FILE (a profile or a script) or from --host, --net-port,\n"
     "--proto tcp|udp and --role server|client (the module's role);\n"
     "transparent mode (not with --already-transparent); the PC\n"
     "connects or listens (--connect-timeout, default 5000 ms);\n"
     "--probes small probes (20) time the round trip; checksummed\n"
     "blocks go both ways at once (--bytes, default 64K each way);\n"
     "then the socket closes, the escape \"+++\" (--guard, default\n"
     "1000 ms of silence around it) and \"at\" bring the module back\n"
     "to command mode (not with --stay). Prints a table, or with\n"
     "--json one line of JSON; exit 0 when every byte arrived intact\n"
     "both ways, 1 when any was lost, changed or reordered\n"},
    {"reset", Command::kReset, RunModuleCommand, "reset --yes",
     "restore the module's factory settings\n"},
    {"compose", Command::kCompose, RunCompose,
     "compose [--from FILE | --from-json FILE] [KEY=VALUE ...]",
     "print the script composed from the start-up form set by the\n"
     "KEY=VALUE pairs, then FILE (default: the start-up script), or\n"
     "the profile FILE and then the start-up script, with the\n"
     "profile's own value for every setting it holds: what apply\n"
     "sends\n"},
}};

// Descriptions start in this column; a longer syntax stands on a line of its own.
constexpr std::size_t kHelpColumn = 28;

// The words of a syntax, brackets and bars aside.
bool HasWord(std::string_view syntax, std::string_view word) {
    constexpr std::string_view kSeparators = " []|";
    for (std::size_t at = syntax.find_first_not_of(kSeparators); at != std::string_view::npos;) {
        const std::size_t end = std::min(syntax.find_first_of(kSeparators, at), syntax.size());
        if (syntax.substr(at, end - at) == word) return true;
        at = syntax.find_first_not_of(kSeparators, end);
    }
    return false;
}

void AppendCommand(const CommandSpec& spec, std::string& text) {
    std::string line = "  " + std::string(spec.syntax);
    if (line.size() + 2 > kHelpColumn) {
        text += line + "\n";
        line.clear();
    }
    std::string_view help = spec.help;
    while (!help.empty()) {
        const std::size_t end = help.find('\n');
        line.resize(kHelpColumn, ' ');
        text += line;
        text += help.substr(0, end);
        text += '\n';
        line.clear();
        help.remove_prefix(end == std::string_view::npos ? help.size() : end + 1);
    }
}

}  // namespace

std::span<const CommandSpec> Commands() {
    return kCommands;
}

const CommandSpec* FindCommand(std::string_view name) {
    for (const CommandSpec& spec : kCommands) {
        if (spec.name == name) return &spec;
    }
    return nullptr;
}

const CommandSpec& SpecOf(Command command) {
    for (const CommandSpec& spec : kCommands) {
        if (spec.command == command) return spec;
    }
    return kCommands.front();
}

bool InSyntax(Command command, std::string_view word) {
    return command != Command::kNone && HasWord(SpecOf(command).syntax, word);
}

std::string UsageText() {
    std::string text = R"(Usage: qn7cfg [OPTIONS] COMMAND [ARGS]
Configure a QN7 module over its serial port, without the dialog.

Options:
  -p, --port PORT     device path (/dev/ttyUSB0, a pseudo-terminal...), or COMn on Windows;
                      given more than once, the command runs on every port at once
      --ports-from FILE  the ports listed in FILE, one per line, as more --port options
  -b, --baud RATE     link baud rate; default 115200; "auto" runs the search first
                      and uses the rate found
      --slot-dir DIR  folder of "user0" ... "user3" (default: the current directory)
      --fast          end each reply window as soon as the module's reply is complete
                      (the same bytes are sent and logged), instead of always waiting
                      the fixed time
  -q, --quiet         do not echo the log lines
  -h, --help          show this help
      --version       show the version

Commands:
)";
    for (const CommandSpec& spec : kCommands) AppendCommand(spec, text);
    text += R"(
A profile is JSON: {"port", "rate", "time", "settings": {KEY: VALUE, ...}}; a value that is
not valid UTF-8 is written {"hex": "..."}. A SOURCE starting with "{" (after blanks) is one.
Log lines (the module's replies) go to standard error, results to standard output; with
several ports each line starts with its port, and a table of the outcomes ends the run.
Exit status: 0 success, 1 settings differ (diff, --verify) or bridge damaged, 64 usage error,
65 data not fit to send (bridge: no usable endpoint), 66 input missing or unreadable, 68 bridge
unreachable, 69 no module answered (bridge: connection refused), 73 bridge port in use, 74
serial error, 75 bridge timed out, 76 module not in transparent mode or not back from it, 77
permission denied on the port, 130/143 interrupted; with several ports, the highest of them.
)";
    return text;
}
