#include "at_line.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kCr = '\r';
// What follows the query value in an answer, before the module's value.
constexpr std::string_view kAnswerBreak = "\r\r\n";

bool IsAtKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

bool IsAtKey(std::string_view key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), IsAtKeyCharacter);
}

bool IsOneLineValue(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void AppendAtLine(std::string& script, std::string_view key, std::string_view value) {
    script.append(kAtLinePrefix).append(key).append("=").append(value).append(kAtLineEnd);
}

std::string AtLine(std::string_view key, std::string_view value) {
    std::string line;
    AppendAtLine(line, key, value);
    return line;
}

std::string AtQueryLine(std::string_view key) {
    return AtLine(key, kAtQueryValue);
}

std::optional<AtSetting> ParseAtLine(std::string_view line) {
    if (!line.starts_with(kAtLinePrefix)) return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(kAtLinePrefix.size(), equals - kAtLinePrefix.size());
    if (!IsAtKey(key)) return std::nullopt;
    return AtSetting{key, line.substr(equals + 1)};
}

bool IsAtQueryLine(std::string_view line) {
    const std::optional<AtSetting> setting = ParseAtLine(line);
    return setting && setting->value == kAtQueryValue;
}

std::size_t AtAnswerEnd(std::string_view reply, std::string_view queryLine, std::size_t from) {
    const std::string echo = std::string(queryLine).append(kAnswerBreak);
    const std::size_t at = reply.find(echo, from);
    if (at == std::string_view::npos) return std::string_view::npos;
    const std::size_t valueEnd = reply.find(kCr, at + echo.size());
    return valueEnd == std::string_view::npos ? valueEnd : valueEnd + 1;
}

std::optional<AtAnswerLine> AtAnswerAfterEcho(std::string_view reply, std::size_t echoEnd) {
    constexpr std::string_view kBreaks = "\r\n";
    if (echoEnd >= reply.size() || kBreaks.find(reply[echoEnd]) == std::string_view::npos)
        return std::nullopt;
    const std::size_t start = reply.find_first_not_of(kBreaks, echoEnd);
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t end = reply.find_first_of(kBreaks, start);
    if (end == std::string_view::npos) return std::nullopt;
    return AtAnswerLine{reply.substr(start, end - start), end + 1};
}

std::vector<RefusedLine> RefusedLines(std::string_view written, std::string_view reply) {
    const auto startsWith = [](std::string_view text, std::string_view word) {
        return text.size() >= word.size() &&
               std::equal(word.begin(), word.end(), text.begin(), [](char a, char b) {
                   return a == std::toupper(static_cast<unsigned char>(b));
               });
    };
    std::vector<RefusedLine> refused;
    std::size_t from = 0;
    ForEachScriptLine(UpToNul(written), [&](std::string_view line) {
        if (line.empty()) return true;
        const std::size_t echo = reply.find(line, from);
        if (echo == std::string_view::npos) return false;
        from = echo + line.size();
        const std::optional<AtAnswerLine> answer = AtAnswerAfterEcho(reply, from);
        if (answer && (startsWith(answer->text, "ERROR") || startsWith(answer->text, "FAIL")))
            refused.push_back({line, answer->text});
        return true;
    });
    return refused;
}

std::string CleanQueryReply(std::string_view reply) {
    const std::string mark = std::string(kAtQueryValue).append(kAnswerBreak);
    std::string cleaned;
    std::size_t from = 0;
    for (std::size_t at; (at = reply.find(mark, from)) != std::string_view::npos;
         from = at + mark.size())
        cleaned += reply.substr(from, at - from);
    cleaned += reply.substr(from);
    return cleaned;
}

std::string GetAtValue(std::string_view text, std::string_view key) {
    // The '=' after the key keeps "dhcpd" from matching "dhcpd_ip", the '+' keeps "mode"
    // from matching "netmode".
    std::string pattern = "+";
    pattern.append(key).append("=");
    const std::size_t start = text.find(pattern);
    if (start == std::string_view::npos) return {};
    const std::size_t valueStart = start + pattern.size();
    const std::size_t end = text.find(kCr, valueStart);
    if (end == std::string_view::npos) return {};
    return std::string(text.substr(valueStart, end - valueStart));
}

bool IsAtValue(std::string_view text, std::string_view key, std::string_view expected) {
    return GetAtValue(text, key) == expected;
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}
