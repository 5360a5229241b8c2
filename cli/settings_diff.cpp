#include "settings_diff.h"

#include <algorithm>
#include <ostream>

#include "at_line.h"
#include "exchanges.h"
#include "query_texts.h"

Answers ScriptSettings(std::string_view script) {
    Answers settings;
    ForEachScriptLine(script, [&](std::string_view line) {
        const std::optional<AtSetting> setting = ParseAtLine(line);
        if (!setting) return true;
        if (std::string* known = FindAnswer(settings, setting->key)) {
            *known = setting->value;
        } else {
            settings.emplace_back(setting->key, setting->value);
        }
        return true;
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

Unchecked UncheckedKeys(const Answers& wanted, std::span<const std::string_view> asked) {
    Unchecked unchecked;
    for (const auto& [key, value] : wanted) {
        if (std::find(asked.begin(), asked.end(), key) != asked.end()) continue;
        const bool held = std::find(kQueryKeys.begin(), kQueryKeys.end(), key) != kQueryKeys.end();
        (held ? unchecked.notAsked : unchecked.notVerifiable).push_back(key);
    }
    return unchecked;
}

void PrintDifferences(const std::vector<Difference>& differences, std::ostream& out) {
    for (const Difference& difference : differences) {
        out << difference.key << ": " << difference.module.value_or("(no answer)") << " \u2192 "
            << difference.wanted << '\n';
    }
}
