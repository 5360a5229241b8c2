#include "query_answers.h"

#include <algorithm>
#include <utility>

#include "at_key.h"
#include "at_text.h"

namespace {

constexpr std::string_view kLinePrefix = "at+";
// The value of a query echo the module left unanswered.
constexpr std::string_view kUnanswered = "?";

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
    for (std::size_t at = reply.find(kLinePrefix); at != std::string_view::npos;
         at = reply.find(kLinePrefix, at + 1)) {
        const std::size_t keyStart = at + kLinePrefix.size();
        std::size_t keyEnd = keyStart;
        while (keyEnd < reply.size() && IsAtKeyCharacter(reply[keyEnd])) ++keyEnd;
        if (keyEnd == keyStart || keyEnd >= reply.size() || reply[keyEnd] != '=') continue;
        const std::size_t lineEnd = reply.find('\r', keyEnd);
        if (lineEnd == std::string_view::npos) break;
        at = lineEnd;
        const std::string_view key = reply.substr(keyStart, keyEnd - keyStart);
        if (Known(answers, key) || std::find(asked.begin(), asked.end(), key) == asked.end())
            continue;
        // The value the form applies: that of the key's first "+KEY=" in the reply.
        std::string value = GetAtValue(reply, key);
        if (value != kUnanswered) answers.emplace_back(key, std::move(value));
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
