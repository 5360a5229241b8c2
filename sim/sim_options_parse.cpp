#include "sim_options_parse.h"

#include <charconv>
#include <map>
#include <string_view>

#include "bridge_settings.h"

namespace {

const std::map<std::string_view, SimFault>& FaultNames() {
    static const std::map<std::string_view, SimFault> kNames = {
        {"none", SimFault::kNone},         {"no-answer", SimFault::kNoAnswer},
        {"delay", SimFault::kDelay},       {"truncate", SimFault::kTruncate},
        {"nul", SimFault::kNulBytes},      {"garbage", SimFault::kGarbage},
        {"flood", SimFault::kFlood},       {"hangup", SimFault::kHangUp},
        {"capitals", SimFault::kCapitals},
    };
    return kNames;
}

const std::map<std::string_view, BridgeFault>& BridgeFaultNames() {
    static const std::map<std::string_view, BridgeFault> kNames = {
        {"none", BridgeFault::kNone},
        {"drop", BridgeFault::kDrop},
        {"corrupt", BridgeFault::kCorrupt},
        {"delay", BridgeFault::kDelay},
        {"reorder", BridgeFault::kReorder},
        {"refuse", BridgeFault::kRefuse},
        {"disconnect", BridgeFault::kDisconnect},
    };
    return kNames;
}

const std::map<std::string_view, FaultDirection>& FaultDirectionNames() {
    static const std::map<std::string_view, FaultDirection> kNames = {
        {"both", FaultDirection::kBoth},
        {"to-network", FaultDirection::kToNetwork},
        {"to-serial", FaultDirection::kToSerial},
    };
    return kNames;
}

template <typename Key, typename Value>
bool Lookup(const std::map<std::string_view, Value>& names, Key name, Value* value) {
    auto found = names.find(name);
    if (found == names.end()) return false;
    *value = found->second;
    return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number* value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

SimArgs ParseSimArgs(int argc, const char* const* argv, SimOptions* options, std::string* error) {
    const std::map<std::string_view, uint32_t*> milliseconds = {
        {"--baud", &options->baud},
        {"--scan-delay", &options->scanDelayMs},
        {"--transparent-return", &options->transparentReturnMs},
        {"--escape-guard", &options->escapeGuardMs},
        {"--fault-delay", &options->faultDelayMs},
        {"--client-retry", &options->clientRetryMs},
        {"--bridge-fault-every", &options->bridgeFaultEvery},
        {"--bridge-delay", &options->bridgeDelayMs},
    };
    const std::map<std::string_view, std::size_t*> sizes = {
        {"--flood-bytes", &options->floodBytes},
        {"--hangup-after", &options->hangUpAfterBytes},
        {"--disconnect-after", &options->disconnectAfterBytes},
    };
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help") return SimArgs::kHelp;
        if (arg == "--version") return SimArgs::kVersion;
        if (arg == "--noise") {
            options->noiseAtWrongRate = true;
            continue;
        }
        if (arg == "--no-pace") {
            options->pace = false;
            continue;
        }
        if (i + 1 >= argc) {
            *error = "unknown option or missing value: " + std::string(arg);
            return SimArgs::kError;
        }
        std::string_view value = argv[++i];
        bool ok = false;
        if (auto number = milliseconds.find(arg); number != milliseconds.end())
            ok = ParseNumber(value, number->second);
        else if (auto size = sizes.find(arg); size != sizes.end())
            ok = ParseNumber(value, size->second);
        else if (uint32_t delay = 0; arg == "--answer-delay")
            ok = ParseNumber(value, &delay) && (options->answerDelayMs = delay, true);
        else if (arg == "--ignore-setting")
            ok = !value.empty() && (options->ignoredSetting = value, true);
        else if (arg == "--fault")
            ok = Lookup(FaultNames(), value, &options->fault);
        else if (arg == "--bridge-fault")
            ok = Lookup(BridgeFaultNames(), value, &options->bridgeFault);
        else if (arg == "--bridge-fault-direction")
            ok = Lookup(FaultDirectionNames(), value, &options->bridgeFaultDirection);
        else if (arg == "--net-addr")
            ok = IsDottedIPv4(value) && (options->netAddr = value, true);
        if (!ok) {
            *error = "bad option " + std::string(arg) + " " + std::string(value);
            return SimArgs::kError;
        }
    }
    if (options->baud == 0) {
        *error = "the rate must not be 0";
        return SimArgs::kError;
    }
    if (options->bridgeFaultEvery == 0) {
        *error = "--bridge-fault-every must not be 0";
        return SimArgs::kError;
    }
    return SimArgs::kRun;
}
