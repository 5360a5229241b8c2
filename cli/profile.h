// A profile: a module's settings as JSON, written by `query --json` and read by
// `compose --from-json`, `apply` and `diff`.
//
//   {"port": "/dev/ttyUSB0", "rate": 115200, "time": "2026-12-08T23:10:00Z",
//    "settings": {"netmode": "1", "wifi_conf": "Lab,wpa2_aes,s3cret", ...}}
//
// "settings" holds every key asked and answered with its value (see json_text.h for bytes that
// are not UTF-8); "port", "rate" and "time" say where and when it was read, and only inform.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "exchanges.h"
#include "json_text.h"
#include "query_answers.h"

// "YYYY-MM-DDTHH:MM:SSZ", in UTC.
std::string UtcTimeText(std::chrono::system_clock::time_point time);

std::string ProfileText(const LinkSettings& link, std::string_view time, const Answers& answers);

struct ProfileContents {
    // One "at+KEY=VALUE" CR LF line for each module key, in the profile's order.
    std::string script;
    // The keys the module can be given (all but those it only reports) with the profile's
    // values, in the profile's order: what restoring the profile sets, value for value.
    Answers settings;
    // Members the profile holds that are neither profile members nor module keys: ignored, and
    // for the caller to report.
    std::vector<std::string> unknownKeys;
    // Member names that stand twice: the last of each is taken, for the caller to report.
    std::vector<JsonDuplicate> duplicates;
};

// Reads a profile. Returns kOk, or kDataError with `error` saying what is wrong: not JSON, not
// a profile, nested or wide beyond the bounds of json_text.h, a value that is neither text nor
// {"hex": ...}, one holding CR, LF or NUL (it would add a command line to the script), or a
// setting's value that the module cannot be given as it stands (SettingValueFault).
int ReadProfile(std::string_view text, ProfileContents& contents, std::string& error);

// Whether `text` is to be read as a profile rather than a script: its first byte that is not
// white space is "{" (a script line starts with "at").
bool LooksLikeProfile(std::string_view text);
