#include "query_answers.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "at_key.h"
#include "at_text.h"

namespace {

constexpr std::string_view kLinePrefix = "at+";
// The value of a query echo the module left unanswered.
constexpr std::string_view kUnanswered = "?";

bool Known(const Answers& answers, std::string_view key) {
    return std::any_of(answers.begin(), answers.end(),
                       [key](const auto& answer) { return answer.first == key; });
}

// Length of the valid UTF-8 sequence starting at `i`, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = i + 2; k < i + length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c >= 0x20 && c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = c >= 0x80 ? Utf8SequenceLength(text, i) : 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
        ++i;
    }
    return out + "\"";
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

std::string AnswersToJson(const Answers& answers) {
    if (answers.empty()) return "{}\n";
    std::string out = "{\n";
    for (std::size_t i = 0; i < answers.size(); ++i) {
        out += "  " + JsonString(answers[i].first) + ": " + JsonString(answers[i].second);
        out += i + 1 < answers.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}
