#include "at_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(AtLine, BuildsAndReadsBackTheSameLine) {
    EXPECT_EQ(AtLine("CLport", "8000"), "at+CLport=8000\r\n");
    EXPECT_EQ(AtQueryLine("wifi_Scan"), "at+wifi_Scan=?\r\n");
    const std::string line = AtLine("wifi_conf", "Lab,wpa2_aes,a=b");
    const auto setting = ParseAtLine(std::string_view(line).substr(0, line.size() - 2));
    ASSERT_TRUE(setting);
    EXPECT_EQ(setting->key, "wifi_conf");
    EXPECT_EQ(setting->value, "Lab,wpa2_aes,a=b");  // only the first '=' ends the key
}

TEST(AtLine, RefusesWhatIsNoSettingLine) {
    for (std::string_view line : {"at+=1", "AT+netmode=1", "at+net mode=1", "at+netmode", "at",
                                  "xat+netmode=1", "at+net-mode=1"})
        EXPECT_FALSE(ParseAtLine(line)) << line;
    EXPECT_TRUE(ParseAtLine("at+netmode="));  // an empty value is a value
    EXPECT_FALSE(IsOneLineValue(std::string_view("a\0b", 3)));
    EXPECT_FALSE(IsOneLineValue("a\rb"));
    EXPECT_TRUE(IsOneLineValue("a\tb"));
}

TEST(AtLine, ScriptLinesEndAtCrOrLfAndAVisitorMayStop) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ForEachScriptLine("a\r\nb\rc", [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    }));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "c"}));
    EXPECT_FALSE(ForEachScriptLine("a\nb", [](std::string_view line) { return line != "a"; }));
}

TEST(AtLine, AnAnswerIsCompleteOnlyWithTheCrAfterItsValue) {
    const std::string answer = "at+netmode=?\r\r\n1\r";
    EXPECT_EQ(AtAnswerEnd("echo\r\n" + answer + "more", "at+netmode=?", 0), 6 + answer.size());
    EXPECT_EQ(AtAnswerEnd(answer.substr(0, answer.size() - 1), "at+netmode=?", 0),
              std::string_view::npos);
    EXPECT_EQ(AtAnswerEnd("at+netmode=?\r\n", "at+netmode=?", 0), std::string_view::npos);
    EXPECT_EQ(AtAnswerEnd(answer, "at+netmode=?", 1), std::string_view::npos);
    EXPECT_TRUE(IsAtQueryLine("at+ver=?"));
    EXPECT_FALSE(IsAtQueryLine(std::string(125, ' ') + "dd=?"));
}

TEST(AtLine, RefusedLinesAreThoseAnsweredErrorOrFailInAnyCase) {
    const std::string_view script = "at+a=1\r\nat+b=2\r\nat+c=3\r\nat+d=4\r\n";
    const std::string reply =
        "at+a=1\r\r\nerror\rat+b=2\r\r\nok\rat+c=3\r\nFAIL: busy\r\nat+d=4\r\r\nERRORS?\r";
    const std::vector<RefusedLine> refused = RefusedLines(script, reply);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0].line, "at+a=1");
    EXPECT_EQ(refused[0].answer, "error");
    EXPECT_EQ(refused[1].answer, "FAIL: busy");
    EXPECT_EQ(refused[2].line, "at+d=4");
    // An echo missing ends the search: no answer is taken from another line's place.
    EXPECT_TRUE(RefusedLines(script, "at+b=2\r\r\nERROR\r").empty());
}

TEST(AtLine, AScriptEndsAtItsFirstNul) {
    EXPECT_EQ(UpToNul(std::string_view("at+a=1\r\n\0at+b=2\r\n", 18)), "at+a=1\r\n");
    EXPECT_EQ(UpToNul("no nul"), "no nul");
    EXPECT_EQ(UpToNul(std::string_view("\0", 1)), "");
}

}  // namespace
