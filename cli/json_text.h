// JSON in and out of qn7cfg, through nlohmann-json. A module answers bytes, while JSON text is
// Unicode: a value that is valid UTF-8 becomes a JSON string, any other an object
// {"hex": "..."} holding its bytes, so nothing is lost or altered on the way.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

// Members keep the order they were written in: a profile lists its keys in query order.
using Json = nlohmann::ordered_json;

bool IsValidUtf8(std::string_view text);

// A string when `bytes` is valid UTF-8, else {"hex": lower-case hex digits of the bytes}.
Json BytesToJson(std::string_view bytes);

// The bytes of a string or of a {"hex": ...} object (either case of hex digits). False, with
// `error` saying why, for anything else.
bool JsonToBytes(const Json& value, std::string& bytes, std::string& error);

// How far a JSON text we read may nest, and how many members one object may hold: a hostile
// text can then neither exhaust the stack nor take quadratic time (members keep their order,
// so each is looked up among those before it).
inline constexpr std::size_t kMaxJsonDepth = 32;
inline constexpr std::size_t kMaxJsonMembers = 1000;

// A member name that stands twice in one object: the last of them is taken.
struct JsonDuplicate {
    std::vector<std::string> path;  // the names from the top object down to the member
};

// False when `text` is not JSON or exceeds the bounds above; `error` then says what is wrong
// and, for a syntax error, where (line, column). `duplicates` (may be null) gets every member
// name that stands twice.
bool ParseJson(std::string_view text, Json& value, std::string& error,
               std::vector<JsonDuplicate>* duplicates = nullptr);

// Indented by two spaces, ended by LF.
std::string JsonText(const Json& value);
