#include "profile.h"

#include <algorithm>
#include <cstdio>

#include "at_line.h"
#include "at_text.h"
#include "exit_codes.h"
#include "json_text.h"
#include "query_texts.h"
#include "terminal_text.h"

namespace {

constexpr const char* kPort = "port";
constexpr const char* kRate = "rate";
constexpr const char* kTime = "time";
constexpr const char* kSettings = "settings";

bool IsModuleKey(std::string_view key) {
    return std::find(kQueryKeys.begin(), kQueryKeys.end(), key) != kQueryKeys.end();
}

bool IsProfileMember(std::string_view key) {
    return key == kPort || key == kRate || key == kTime || key == kSettings;
}

// A value for a message: quoted and escaped, and cut short when it is long.
std::string ShownValue(std::string_view value) {
    constexpr std::size_t kShown = 64;
    if (value.size() <= kShown) return QuotedForMessage(value);
    return QuotedForMessage(value.substr(0, kShown)) + "...";
}

int DataError(std::string& error, std::string text) {
    error = std::move(text);
    return exit_code::kDataError;
}

}  // namespace

std::string UtcTimeText(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string ProfileText(const LinkSettings& link, std::string_view time, const Answers& answers) {
    Json settings = Json::object();
    for (const auto& [key, value] : answers) settings[key] = BytesToJson(value);
    Json profile = Json::object();
    profile[kPort] = BytesToJson(link.port);
    profile[kRate] = link.baud;
    profile[kTime] = std::string(time);
    profile[kSettings] = std::move(settings);
    return JsonText(profile);
}

int ReadProfile(std::string_view text, ProfileContents& contents, std::string& error) {
    Json profile;
    std::vector<JsonDuplicate> duplicates;
    if (!ParseJson(text, profile, error, &duplicates)) {
        return DataError(error, "not JSON: " + error);
    }
    if (!profile.is_object() || !profile.contains(kSettings) || !profile[kSettings].is_object()) {
        return DataError(error, "not a profile: expected an object with a \"settings\" object");
    }
    ProfileContents read;
    read.duplicates = std::move(duplicates);
    for (const auto& [member, value] : profile.items()) {
        if (!IsProfileMember(member)) read.unknownKeys.push_back(member);
    }
    for (const auto& [key, value] : profile[kSettings].items()) {
        if (!IsModuleKey(key)) {
            read.unknownKeys.push_back(key);
            continue;
        }
        std::string bytes;
        if (!JsonToBytes(value, bytes, error)) {
            return DataError(error, "setting \"" + key + "\": " + error);
        }
        if (!IsOneLineValue(bytes)) {
            return DataError(
                error, "setting \"" + key + "\" holds CR, LF or NUL (it would add a command line)");
        }
        if (!IsReadOnlyKey(key)) {
            if (const std::string fault = SettingValueFault(key, bytes); !fault.empty()) {
                return DataError(error, "setting \"" + key + "\": " + ShownValue(bytes) +
                                            " cannot be set as it stands: " + fault);
            }
            read.settings.emplace_back(key, bytes);
        }
        AppendAtLine(read.script, key, bytes);
    }
    contents = std::move(read);
    return exit_code::kOk;
}

bool LooksLikeProfile(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '{';
}
