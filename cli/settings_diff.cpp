#include "settings_diff.h"

#include <algorithm>
#include <ostream>

#include "at_key.h"
#include "exchanges.h"

namespace {

constexpr std::string_view kLinePrefix = "at+";

// The key and value of one "at+KEY=VALUE" line; false for any other line.
bool SettingLine(std::string_view line, std::string_view& key, std::string_view& value) {
    if (!line.starts_with(kLinePrefix)) return false;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    key = line.substr(kLinePrefix.size(), equals - kLinePrefix.size());
    value = line.substr(equals + 1);
    return !key.empty() && std::all_of(key.begin(), key.end(), IsAtKeyCharacter);
}

template <typename Visit>
void ForEachLine(std::string_view script, Visit visit) {
    while (!script.empty()) {
        const std::size_t end = script.find_first_of("\r\n");
        visit(script.substr(0, end));
        if (end == std::string_view::npos) break;
        script.remove_prefix(end + 1);
    }
}

}  // namespace

Answers ScriptSettings(std::string_view script) {
    Answers settings;
    ForEachLine(script, [&](std::string_view line) {
        std::string_view key, value;
        if (!SettingLine(line, key, value)) return;
        if (std::string* known = FindAnswer(settings, key)) {
            *known = value;
        } else {
            settings.emplace_back(key, value);
        }
    });
    return settings;
}

HeldBack HoldBackTransparentLine(std::string_view script) {
    const std::string_view line = kTransparentCommand.substr(0, kTransparentCommand.find('\r'));
    HeldBack held;
    for (std::size_t at = 0; at < script.size();) {
        std::size_t end = script.find_first_of("\r\n", at);
        end = end == std::string_view::npos ? script.size() : end;
        std::size_t next = script.find_first_not_of("\r\n", end);
        next = next == std::string_view::npos ? script.size() : next;
        if (script.substr(at, end - at) == line) {
            held.transparentLine = true;
        } else {
            held.script += script.substr(at, next - at);
        }
        at = next;
    }
    return held;
}

std::vector<Difference> Differences(const Answers& module, const Answers& wanted,
                                    std::span<const std::string_view> asked) {
    std::vector<Difference> differences;
    for (const auto& [key, value] : wanted) {
        if (std::find(asked.begin(), asked.end(), key) == asked.end()) continue;
        const std::string* answer = FindAnswer(module, key);
        if (answer != nullptr && *answer == value) continue;
        differences.push_back({key, answer ? std::optional(*answer) : std::nullopt, value});
    }
    return differences;
}

void PrintDifferences(const std::vector<Difference>& differences, std::ostream& out) {
    for (const Difference& difference : differences) {
        out << difference.key << ": " << difference.module.value_or("(no answer)") << " \u2192 "
            << difference.wanted << '\n';
    }
}
