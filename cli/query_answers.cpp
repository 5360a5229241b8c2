#include "query_answers.h"

#include <algorithm>
#include <utility>

#include "at_line.h"

namespace {

bool Known(const Answers& answers, std::string_view key) {
    return FindAnswer(answers, key) != nullptr;
}

}  // namespace

const std::string* FindAnswer(const Answers& answers, std::string_view key) {
    for (const auto& [k, v] : answers) {
        if (k == key) return &v;
    }
    return nullptr;
}

std::string* FindAnswer(Answers& answers, std::string_view key) {
    return const_cast<std::string*>(FindAnswer(std::as_const(answers), key));
}

Answers AnsweredKeys(std::string_view reply, std::span<const std::string_view> asked) {
    Answers answers;
    // Answers end with a bare CR and noise may run into one: every "at+" may start a line.
    for (std::size_t at = reply.find(kAtLinePrefix); at != std::string_view::npos;
         at = reply.find(kAtLinePrefix, at + 1)) {
        const std::size_t lineEnd = reply.find('\r', at);
        if (lineEnd == std::string_view::npos) break;
        const std::optional<AtSetting> setting = ParseAtLine(reply.substr(at, lineEnd - at));
        if (!setting) continue;
        at = lineEnd;
        const std::string_view key = setting->key;
        if (Known(answers, key) || std::find(asked.begin(), asked.end(), key) == asked.end())
            continue;
        // The value the form applies: that of the key's first "+KEY=" in the reply.
        std::string value = GetAtValue(reply, key);
        if (value != kAtQueryValue) answers.emplace_back(key, std::move(value));
    }
    return answers;
}

std::vector<std::string_view> MissingKeys(const Answers& answers,
                                          std::span<const std::string_view> wanted) {
    std::vector<std::string_view> missing;
    for (std::string_view key : wanted) {
        if (!Known(answers, key)) missing.push_back(key);
    }
    return missing;
}
