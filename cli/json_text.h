// JSON in and out of qn7cfg, through nlohmann-json. A module answers bytes, while JSON text is
// Unicode: a value that is valid UTF-8 becomes a JSON string, any other an object
// {"hex": "..."} holding its bytes, so nothing is lost or altered on the way.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// Members keep the order they were written in: a profile lists its keys in query order.
using Json = nlohmann::ordered_json;

bool IsValidUtf8(std::string_view text);

// A string when `bytes` is valid UTF-8, else {"hex": lower-case hex digits of the bytes}.
Json BytesToJson(std::string_view bytes);

// The bytes of a string or of a {"hex": ...} object (either case of hex digits). False, with
// `error` saying why, for anything else.
bool JsonToBytes(const Json& value, std::string& bytes, std::string& error);

// False when `text` is not JSON; `error` then says what is wrong and where (line, column).
bool ParseJson(std::string_view text, Json& value, std::string& error);

// Indented by two spaces, ended by LF.
std::string JsonText(const Json& value);
