// The AT line format: how every command line is built and read, what a query and its answer look
// like, and where a script ends. Nothing else in the program spells these shapes out.
//
//   setting  "at+" KEY "=" VALUE CR LF          at+netmode=1\r\n
//   query    "at+" KEY "=?" CR LF               at+netmode=?\r\n
//   answer   "at+" KEY "=?" CR CR LF VALUE CR   at+netmode=?\r\r\n1\r
//
// A key is letters, digits and '_', and case counts ("CLport"); a value holds no CR, LF or NUL.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kAtLinePrefix = "at+";
inline constexpr std::string_view kAtLineEnd = "\r\n";
// The value a query line asks with; a query the module left unanswered reads back with it.
inline constexpr std::string_view kAtQueryValue = "?";

// A non-empty key of the key alphabet: anything else could match another key.
bool IsAtKey(std::string_view key);
// Whether `value` stays within its line: CR or LF would end it and start another command of the
// value's choosing, and a NUL would end the script.
bool IsOneLineValue(std::string_view value);

// "at+KEY=VALUE\r\n".
std::string AtLine(std::string_view key, std::string_view value);
void AppendAtLine(std::string& script, std::string_view key, std::string_view value);
// "at+KEY=?\r\n".
std::string AtQueryLine(std::string_view key);

struct AtSetting {
    std::string_view key;
    std::string_view value;
};
// One line without its line end, "at+KEY=VALUE" with a valid key; nothing for any other line.
std::optional<AtSetting> ParseAtLine(std::string_view line);
// Calls `visit` with each line of `text`, without its line end, until it returns false; a line
// ends at CR or at LF. False when `visit` stopped it.
template <typename Visit>
bool ForEachScriptLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (!visit(text.substr(0, end))) return false;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return true;
}

// Whether a line without its line end is a query line, "at+KEY=?".
bool IsAtQueryLine(std::string_view line);
// Where the answer to `queryLine` (a query line without its line end) ends in `reply`, looking
// from `from`: just past the CR after its value. npos while the answer is not all there.
std::size_t AtAnswerEnd(std::string_view reply, std::string_view queryLine, std::size_t from);
// The answer line that follows the echo of a command line, when the echo ends at `echoEnd`:
// line breaks, then text, then the CR or LF that ends it. `end` is just past that CR or LF;
// nothing while the answer is not all there.
struct AtAnswerLine {
    std::string_view text;
    std::size_t end = 0;
};
std::optional<AtAnswerLine> AtAnswerAfterEcho(std::string_view reply, std::size_t echoEnd);
// The command lines of `written` (up to its first NUL) that the module refused: those whose
// echo in `reply`, each found after the one before, is followed by an answer line starting with
// ERROR or FAIL in any case. Each comes with that answer.
struct RefusedLine {
    std::string_view line;
    std::string_view answer;
};
std::vector<RefusedLine> RefusedLines(std::string_view written, std::string_view reply);
// Every "?\r\r\n" removed: each answer then reads as a setting line, "at+KEY=VALUE\r".
std::string CleanQueryReply(std::string_view reply);

// Value of the first "+KEY=" in text, up to the first CR after it; "" when absent or when
// no CR follows.
std::string GetAtValue(std::string_view text, std::string_view key);
bool IsAtValue(std::string_view text, std::string_view key, std::string_view expected);

// A script ends at its first NUL byte: a port writes it as a NUL-terminated text, and a reply
// read into a buffer is text up to its NUL as well.
std::string_view UpToNul(std::string_view text);
