#include "cli_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "at_line.h"
#include "module_commands.h"

namespace {

// The lowest rate a serial line customarily runs at; below it the slow query's waits grow to
// minutes per chunk (30 at 1 baud).
constexpr uint32_t kMinBaud = 110;

// Bounds of the bridge check's numbers: a pattern of hours, or waits of days, are typing errors.
constexpr uint64_t kMaxBridgeBytes = 64 * 1024 * 1024;
constexpr uint64_t kMaxProbes = 10000;
constexpr uint64_t kMaxWaitMs = 600000;
constexpr uint64_t kMaxGuardMs = 10000;

// A rate is decimal digits only, at least kMinBaud and within 32 bits; "auto" means search first.
std::string ParseRate(std::string_view text, CliOptions& options) {
    if (text == "auto") {
        options.autoBaud = true;
        return {};
    }
    uint32_t rate = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, rate);
    if (text.empty() || ec != std::errc() || ptr != end || rate == 0) {
        return "invalid rate '" + std::string(text) + "': expected a positive number or auto";
    }
    if (rate < kMinBaud) {
        return "invalid rate '" + std::string(text) + "': the lowest rate is " +
               std::to_string(kMinBaud) + " baud";
    }
    options.baud = rate;
    options.autoBaud = false;
    return {};
}

// A pair becomes the line "at+KEY=VALUE": a line break or NUL in it would smuggle another
// command line into the script, and a key outside the AT key alphabet could match another key.
std::string ParsePair(std::string_view text, ComposeRequest& request) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return "compose: expected KEY=VALUE, got '" + std::string(text) + "'";
    }
    if (!IsOneLineValue(text)) {
        return "compose: KEY=VALUE must not hold CR, LF or NUL (it would add a command line)";
    }
    const std::string_view key = text.substr(0, equals);
    if (key.empty()) return "compose: empty key in '" + std::string(text) + "'";
    if (!IsAtKey(key)) {
        return "compose: invalid key '" + std::string(key) + "': use letters, digits and '_' only";
    }
    request.pairs.emplace_back(key, text.substr(equals + 1));
    return {};
}

// A decimal count within [low, high], with K (KiB) or M (MiB) after it when `sizes`.
std::string ParseCount(std::string_view option, std::string_view text, uint64_t low, uint64_t high,
                       bool sizes, uint64_t* value) {
    uint64_t unit = 1;
    std::string_view digits = text;
    if (sizes && !digits.empty() && (digits.back() == 'K' || digits.back() == 'M')) {
        unit = digits.back() == 'K' ? 1024 : 1024 * 1024;
        digits.remove_suffix(1);
    }
    uint64_t number = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, number);
    if (digits.empty() || ec != std::errc() || ptr != end || number > high / unit ||
        number * unit < low) {
        return "invalid " + std::string(option) + " '" + std::string(text) + "': expected " +
               std::to_string(low) + " to " + std::to_string(high) +
               (sizes ? " (K, M allowed)" : "");
    }
    *value = number * unit;
    return {};
}

template <typename Number>
std::string SetCount(std::string_view option, std::string_view text, uint64_t low, uint64_t high,
                     Number* value, bool sizes = false) {
    uint64_t number = 0;
    std::string error = ParseCount(option, text, low, high, sizes, &number);
    if (error.empty()) *value = static_cast<Number>(number);
    return error;
}

class Parser {
  public:
    explicit Parser(std::span<const std::string> args) : args_(args) {}

    ParseResult Run() {
        ParseResult result;
        for (index_ = 0; index_ < args_.size() && result.error.empty(); ++index_) {
            result.error = Step(args_[index_]);
        }
        if (result.error.empty()) result.error = Validate();
        result.options = options_;
        return result;
    }

  private:
    std::string Step(std::string_view arg) {
        if (optionsEnded_ || arg == "-" || !arg.starts_with('-')) return Positional(arg);
        if (arg == "--") {
            optionsEnded_ = true;
            return {};
        }
        return Option(arg);
    }

    // Splits "--name=value" and "-xVALUE"; the value, when not attached, is the next argument.
    std::string Option(std::string_view arg) {
        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (arg.starts_with("--")) {
            if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                attached = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            attached = arg.substr(2);
        }
        if (name == "-p" || name == "--port") return WithValue(name, attached, &Parser::AddPort);
        if (name == "--ports-from") return WithValue(name, attached, &Parser::SetPortsFrom);
        if (name == "-b" || name == "--baud") return WithValue(name, attached, &Parser::SetBaud);
        if (name == "--slot-dir") return WithValue(name, attached, &Parser::SetSlotDir);
        if (name == "--from") return WithValue(name, attached, &Parser::SetFrom);
        if (name == "--from-json") return WithValue(name, attached, &Parser::SetFromJson);
        if (name == "--host") return WithValue(name, attached, &Parser::SetHost);
        if (name == "--net-port") return WithValue(name, attached, &Parser::SetNetPort);
        if (name == "--proto") return WithValue(name, attached, &Parser::SetProto);
        if (name == "--role") return WithValue(name, attached, &Parser::SetRole);
        if (name == "--bytes") return WithValue(name, attached, &Parser::SetBytes);
        if (name == "--probes") return WithValue(name, attached, &Parser::SetProbes);
        if (name == "--connect-timeout")
            return WithValue(name, attached, &Parser::SetConnectTimeout);
        if (name == "--guard") return WithValue(name, attached, &Parser::SetGuard);
        if (attached) return "unknown option '" + std::string(arg) + "'";
        if (name == "-q" || name == "--quiet") return Flag(options_.quiet);
        if (name == "--fast") return Flag(options_.fast);
        if (name == "-h" || name == "--help") return Flag(options_.help);
        if (name == "--version") return Flag(options_.version);
        if (name == "--json") return Flag(options_.json);
        if (name == "--raw") return Flag(options_.raw);
        if (name == "-v" || name == "--verbose") return Flag(options_.verbose);
        if (name == "--yes") return Flag(options_.yes);
        if (name == "--verify") return Flag(options_.verify);
        if (name == "--already-transparent") return Flag(options_.bridge.alreadyTransparent);
        if (name == "--stay") return Flag(options_.bridge.stay);
        return "unknown option '" + std::string(arg) + "'";
    }

    static std::string Flag(bool& flag) {
        flag = true;
        return {};
    }

    using Setter = std::string (Parser::*)(std::string_view);

    std::string WithValue(std::string_view name, std::optional<std::string_view> attached,
                          Setter set) {
        if (attached) return (this->*set)(*attached);
        if (index_ + 1 >= args_.size()) return "option '" + std::string(name) + "' needs a value";
        return (this->*set)(args_[++index_]);
    }

    // The same port twice would race against itself for the port's lock.
    std::string AddPort(std::string_view value) {
        if (value.empty()) return "empty port name";
        if (std::find(options_.ports.begin(), options_.ports.end(), value) !=
            options_.ports.end()) {
            return "port '" + std::string(value) + "' given twice";
        }
        options_.ports.emplace_back(value);
        return {};
    }
    std::string SetPortsFrom(std::string_view value) {
        options_.portsFrom = std::string(value);
        return {};
    }
    std::string SetBaud(std::string_view value) { return ParseRate(value, options_); }
    std::string SetSlotDir(std::string_view value) {
        options_.slotDir = std::string(value);
        return {};
    }
    std::string SetFrom(std::string_view value) {
        options_.compose.fromFile = std::string(value);
        return {};
    }
    std::string SetFromJson(std::string_view value) {
        options_.compose.fromJson = std::string(value);
        return {};
    }

    // The endpoint's parts are checked here, so a bad one sends nothing at all.
    std::string SetHost(std::string_view value) {
        std::string error;
        if (!CheckEndpointHost(value, &error)) return "--host: " + error;
        options_.bridge.overrides.host = std::string(value);
        return {};
    }
    std::string SetNetPort(std::string_view value) {
        std::string error;
        uint16_t port = 0;
        if (!ParseEndpointPort(value, &port, &error)) return "--net-port: " + error;
        options_.bridge.overrides.port = port;
        return {};
    }
    std::string SetProto(std::string_view value) {
        NetProto proto{};
        if (!ParseProto(value, &proto))
            return "--proto: expected tcp or udp, got '" + std::string(value) + "'";
        options_.bridge.overrides.proto = proto;
        return {};
    }
    std::string SetRole(std::string_view value) {
        ModuleRole role{};
        if (!ParseRole(value, &role))
            return "--role: expected server or client, got '" + std::string(value) + "'";
        options_.bridge.overrides.role = role;
        return {};
    }
    std::string SetBytes(std::string_view value) {
        return SetCount("--bytes", value, 1, kMaxBridgeBytes, &options_.bridge.bytes, true);
    }
    std::string SetProbes(std::string_view value) {
        return SetCount("--probes", value, 0, kMaxProbes, &options_.bridge.probes);
    }
    std::string SetConnectTimeout(std::string_view value) {
        return SetCount("--connect-timeout", value, 1, kMaxWaitMs,
                        &options_.bridge.connectTimeoutMs);
    }
    std::string SetGuard(std::string_view value) {
        return SetCount("--guard", value, 0, kMaxGuardMs, &options_.bridge.escapeGuardMs);
    }

    std::string Positional(std::string_view arg) {
        if (options_.command == Command::kNone) {
            const CommandSpec* spec = FindCommand(arg);
            if (spec == nullptr) return "unknown command '" + std::string(arg) + "'";
            options_.command = spec->command;
            return {};
        }
        if (options_.command == Command::kCompose) return ParsePair(arg, options_.compose);
        if (TakesSource() && options_.source.empty() && !arg.empty()) {
            options_.source = arg;
            return {};
        }
        return "unexpected argument '" + std::string(arg) + "'";
    }

    bool TakesSource() const { return InSyntax(options_.command, "SOURCE"); }

    // An option given to a command whose syntax does not name it.
    std::string OnlyFor(bool present, std::string_view option) const {
        if (!present || InSyntax(options_.command, option)) return {};
        std::string names;
        for (const CommandSpec& spec : Commands()) {
            if (!InSyntax(spec.command, option)) continue;
            names += (names.empty() ? "" : " and ") + std::string(spec.name);
        }
        return std::string(option) + " applies only to " + names;
    }

    // The bridge check's options, given to another command.
    std::string BridgeOnly() const {
        const BridgeRequest& bridge = options_.bridge;
        const BridgeRequest defaults;
        const EndpointOverrides& overrides = bridge.overrides;
        for (std::string error :
             {OnlyFor(overrides.host.has_value(), "--host"),
              OnlyFor(overrides.port.has_value(), "--net-port"),
              OnlyFor(overrides.proto.has_value(), "--proto"),
              OnlyFor(overrides.role.has_value(), "--role"),
              OnlyFor(bridge.bytes != defaults.bytes, "--bytes"),
              OnlyFor(bridge.probes != defaults.probes, "--probes"),
              OnlyFor(bridge.connectTimeoutMs != defaults.connectTimeoutMs, "--connect-timeout"),
              OnlyFor(bridge.escapeGuardMs != defaults.escapeGuardMs, "--guard"),
              OnlyFor(bridge.alreadyTransparent, "--already-transparent"),
              OnlyFor(bridge.stay, "--stay")}) {
            if (!error.empty()) return error;
        }
        return {};
    }

    std::string Validate() const {
        if (options_.help || options_.version) return {};
        if (options_.command == Command::kNone) return "no command given";
        const ComposeRequest& compose = options_.compose;
        for (std::string error :
             {OnlyFor(options_.json, "--json"), OnlyFor(options_.raw, "--raw"),
              OnlyFor(options_.verbose, "-v"), OnlyFor(options_.yes, "--yes"),
              OnlyFor(options_.verify, "--verify"), OnlyFor(compose.fromFile.has_value(), "--from"),
              OnlyFor(compose.fromJson.has_value(), "--from-json"), BridgeOnly()}) {
            if (!error.empty()) return error;
        }
        if (options_.fast && !UsesModule(options_.command)) {
            return "--fast applies only to the commands that talk to the module";
        }
        if (compose.fromFile && compose.fromJson) return "give --from or --from-json, not both";
        if (options_.json && options_.raw) return "give --json or --raw, not both";
        const CommandSpec& spec = SpecOf(options_.command);
        if (UsesModule(spec.command) && options_.ports.empty() && !options_.portsFrom) {
            return std::string(spec.name) + " needs --port";
        }
        if (TakesSource() && options_.source.empty()) {
            return std::string(spec.name) +
                   " needs a SOURCE: a file, - for standard input, or user0 ... user3";
        }
        if (options_.command == Command::kReset && !options_.yes) {
            return "reset restores the module's factory settings; confirm with --yes";
        }
        return {};
    }

    std::span<const std::string> args_;
    std::size_t index_ = 0;
    bool optionsEnded_ = false;
    CliOptions options_;
};

}  // namespace

ParseResult ParseCommandLine(std::span<const std::string> args) {
    return Parser(args).Run();
}

bool UsesModule(Command command) {
    return command != Command::kNone && SpecOf(command).run == RunModuleCommand;
}
