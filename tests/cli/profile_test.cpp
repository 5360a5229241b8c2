// Profiles, the JSON policy for module bytes, and the key-by-key comparison of diff and
// --verify, in-process.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "exit_codes.h"
#include "json_text.h"
#include "profile.h"
#include "settings_diff.h"

namespace {

using namespace std::string_literals;

// ---- bytes <-> JSON ------------------------------------------------------------------------

struct BytesCase {
    const char* name;
    std::string bytes;
    bool asString;  // valid UTF-8: a plain JSON string
};

class JsonBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(JsonBytes, SurviveTheJsonTextUnchanged) {
    const BytesCase& c = GetParam();
    const Json value = BytesToJson(c.bytes);
    EXPECT_EQ(value.is_string(), c.asString) << value.dump();
    Json parsed;
    std::string error;
    ASSERT_TRUE(ParseJson(JsonText(Json{{"v", value}}), parsed, error)) << error;
    std::string bytes;
    ASSERT_TRUE(JsonToBytes(parsed["v"], bytes, error)) << error;
    EXPECT_EQ(bytes, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JsonBytes,
    ::testing::Values(
        BytesCase{"Plain", "192.168.11.245", true},
        BytesCase{"QuoteBackslashControl", "a\"b\\c\t\n\x01\x1f\x7f", true},
        BytesCase{"Utf8", "\xe6\x97\xa0\xe7\xba\xbf", true}, BytesCase{"Empty", "", true},
        BytesCase{"Ff", "a\xff", false}, BytesCase{"TruncatedSequence", "Lab\xc3", false},
        BytesCase{"Overlong", "\xc0\xaf", false}, BytesCase{"Surrogate", "\xed\xa0\x80", false},
        BytesCase{"BeyondUnicode", "\xf4\x90\x80\x80", false}, BytesCase{"Nul", "a\0b"s, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JsonBytes, InvalidUtf8IsHexOfEveryByte) {
    EXPECT_EQ(BytesToJson("A\xff\x0d"), Json({{"hex", "41ff0d"}}));
}

TEST(JsonBytes, OnlyTextOrAWellFormedHexObjectAreBytes) {
    std::string bytes = "kept";
    std::string error;
    EXPECT_TRUE(JsonToBytes(Json{{"hex", "4C61"}}, bytes, error));
    EXPECT_EQ(bytes, "La");
    for (const Json& bad : {Json(1), Json(nullptr), Json::array(), Json{{"hex", "abc"}},
                            Json{{"hex", "zz"}}, Json{{"hex", "41"}, {"x", 1}}, Json{{"hex", 4}}}) {
        error.clear();
        EXPECT_FALSE(JsonToBytes(bad, bytes, error)) << bad.dump();
        EXPECT_FALSE(error.empty()) << bad.dump();
    }
}

TEST(JsonBytes, ParseErrorsSayWhere) {
    Json value;
    std::string error;
    EXPECT_FALSE(ParseJson("{\n  \"settings\": {,}\n}", value, error));
    EXPECT_NE(error.find("line 2, column 16"), std::string::npos) << error;
    EXPECT_EQ(error.find("json.exception"), std::string::npos) << error;
}

// ---- profiles ------------------------------------------------------------------------------

TEST(Profile, TimeIsUtcIso8601) {
    using namespace std::chrono;
    const sys_seconds time = sys_days{year{2026} / 12 / 8} + 23h + 10min + 5s;
    EXPECT_EQ(UtcTimeText(time), "2026-12-08T23:10:05Z");
}

TEST(Profile, WrittenAndReadBackGivesEveryAnswerAsAScriptLine) {
    const Answers answers = {{"netmode", "2"}, {"wifi_conf", "Lab\xff,wpa2_aes,k"}, {"ver", "V1"}};
    const std::string text = ProfileText({"/dev/ttyUSB0", 57600}, "2026-12-08T23:10:05Z", answers);
    Json profile;
    std::string error;
    ASSERT_TRUE(ParseJson(text, profile, error)) << error;
    EXPECT_EQ(profile["port"], "/dev/ttyUSB0");
    EXPECT_EQ(profile["rate"], 57600);
    EXPECT_EQ(profile["time"], "2026-12-08T23:10:05Z");
    EXPECT_EQ(profile["settings"]["wifi_conf"], Json({{"hex",
                                                       "4c6162ff2c77706132"
                                                       "5f6165732c6b"}}));

    ProfileContents contents;
    ASSERT_EQ(ReadProfile(text, contents, error), exit_code::kOk) << error;
    EXPECT_EQ(contents.script, "at+netmode=2\r\nat+wifi_conf=Lab\xff,wpa2_aes,k\r\nat+ver=V1\r\n");
    EXPECT_TRUE(contents.unknownKeys.empty());
}

TEST(Profile, UnknownKeysAreListedNotUsed) {
    ProfileContents contents;
    std::string error;
    ASSERT_EQ(ReadProfile(R"({"note": "lab", "settings": {"netmode": "3", "colour": "red",
                             "default": "1"}})",
                          contents, error),
              exit_code::kOk)
        << error;
    EXPECT_EQ(contents.script, "at+netmode=3\r\n");
    EXPECT_EQ(contents.unknownKeys, (std::vector<std::string>{"note", "colour", "default"}));
}

struct BadProfileCase {
    const char* name;
    std::string text;
    const char* message;
};

class BadProfile : public ::testing::TestWithParam<BadProfileCase> {};

TEST_P(BadProfile, IsADataErrorThatSaysWhy) {
    ProfileContents contents;
    contents.script = "untouched";
    std::string error;
    EXPECT_EQ(ReadProfile(GetParam().text, contents, error), exit_code::kDataError);
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    EXPECT_EQ(contents.script, "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadProfile,
    ::testing::Values(
        BadProfileCase{"NotJson", "{\"settings\": {\"netmode\": \"1\"", "not JSON: parse error"},
        BadProfileCase{"Empty", "", "not JSON"}, BadProfileCase{"Array", "[]", "not a profile"},
        BadProfileCase{"NoSettings", R"({"netmode": "1"})", "not a profile"},
        BadProfileCase{"SettingsNotAnObject", R"({"settings": "netmode=1"})", "not a profile"},
        BadProfileCase{"NumberValue", R"({"settings": {"netmode": 1}})", "setting \"netmode\""},
        BadProfileCase{"LineBreakInValue", R"({"settings": {"remoteip": "1\r\nat+default=1"}})",
                       "CR, LF or NUL"},
        BadProfileCase{"HexLineBreak", R"({"settings": {"remoteip": {"hex": "310a"}}})",
                       "CR, LF or NUL"},
        BadProfileCase{"NulInValue", R"({"settings": {"remoteip": "1\u0000"}})", "CR, LF or NUL"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Profile, OnlyTextStartingWithABraceIsOne) {
    EXPECT_TRUE(LooksLikeProfile(" \r\n{\"settings\": {}}"));
    EXPECT_FALSE(LooksLikeProfile("at+netmode=1\r\n{"));
    EXPECT_FALSE(LooksLikeProfile(""));
}

// ---- comparing -----------------------------------------------------------------------------

TEST(SettingsDiff, ScriptSettingsKeepFirstOrderAndLastValue) {
    const Answers settings = ScriptSettings(
        "at+netmode=1\r\nat+uart=9600,8,n,1\nnoise\r\nat+netmode=2\rat+x+y=1\r\n"
        "at+CLport=\r\nat+reconn=1");
    const Answers expected = {
        {"netmode", "2"}, {"uart", "9600,8,n,1"}, {"CLport", ""}, {"reconn", "1"}};
    EXPECT_EQ(settings, expected);
}

TEST(SettingsDiff, TransparentLinesAreHeldBackWhereverTheyStand) {
    HeldBack held = HoldBackTransparentLine("at+netmode=1\r\nat+reconn=1\r\nat+dhcpc=0\r\n");
    EXPECT_TRUE(held.transparentLine);
    EXPECT_EQ(held.script, "at+netmode=1\r\nat+dhcpc=0\r\n");
    held = HoldBackTransparentLine("at+reconn=10\nat+net_commit=1\nat+reconn=1");
    EXPECT_TRUE(held.transparentLine);
    EXPECT_EQ(held.script, "at+reconn=10\nat+net_commit=1\n");
    EXPECT_FALSE(HoldBackTransparentLine("at+netmode=1\r\n").transparentLine);
}

TEST(SettingsDiff, ComparesOnlyKeysTheQueryReadsBack) {
    const Answers module = {{"netmode", "1"}, {"remoteip", "10.0.0.1"}, {"uart", "9600,8,n,1"}};
    const Answers wanted = {{"netmode", "1"},
                            {"remoteip", "10.0.0.9"},
                            {"CLport", "7000"},
                            {"net_commit", "1"},
                            {"uart", "9600,8,n,1"}};
    const std::vector<std::string_view> asked = {"netmode", "remoteip", "uart", "CLport"};
    const std::vector<Difference> differences = Differences(module, wanted, asked);
    ASSERT_EQ(differences.size(), 2u);
    std::ostringstream out;
    PrintDifferences(differences, out);
    EXPECT_EQ(out.str(), "remoteip: 10.0.0.1 \u2192 10.0.0.9\nCLport: (no answer) \u2192 7000\n");
    EXPECT_TRUE(Differences(module, {{"netmode", "1"}}, asked).empty());
}

// ---- the command line of the new commands --------------------------------------------------

ParseResult Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(ProvisioningParse, PortsRepeatInOrderButNotTwice) {
    const ParseResult parsed = Parse({"-p", "/dev/a", "--port=/dev/b", "-p/dev/c", "search"});
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    EXPECT_EQ(parsed.options.ports, (std::vector<std::string>{"/dev/a", "/dev/b", "/dev/c"}));
    EXPECT_NE(Parse({"-p", "/dev/a", "-p", "/dev/a", "search"}).error.find("given twice"),
              std::string::npos);
    EXPECT_TRUE(Parse({"--ports-from", "list.txt", "query"}).Ok());
}

TEST(ProvisioningParse, EachOptionOnlyWhereTheUsageNamesIt) {
    EXPECT_TRUE(Parse({"-p", "x", "submit", "f", "--verify"}).options.verify);
    EXPECT_TRUE(Parse({"-p", "x", "apply", "--verify", "f"}).options.verify);
    EXPECT_EQ(Parse({"-p", "x", "diff", "--verify", "f"}).error,
              "--verify applies only to submit and apply");
    EXPECT_EQ(Parse({"compose", "--from", "a", "--from-json", "b"}).error,
              "give --from or --from-json, not both");
    EXPECT_EQ(Parse({"-p", "x", "diff"}).error.substr(0, 20), "diff needs a SOURCE:");
    EXPECT_EQ(Parse({"-p", "x", "apply", "a", "b"}).error, "unexpected argument 'b'");
    EXPECT_EQ(Parse({"apply", "a"}).error, "apply needs --port");
}

TEST(ProvisioningParse, UsageShowsEveryCommandOfTheTable) {
    const std::string usage = UsageText();
    for (const CommandSpec& spec : Commands()) {
        EXPECT_NE(
            usage.find("\n  " + std::string(spec.syntax) + (spec.syntax.size() < 26 ? " " : "\n")),
            std::string::npos)
            << spec.syntax;
        EXPECT_EQ(FindCommand(spec.name), &spec);
    }
}

}  // namespace
