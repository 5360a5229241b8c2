#include <gtest/gtest.h>

#include <string>

#include "at_text.h"
#include "query_answers.h"
#include "query_texts.h"
#include "script_source.h"

namespace {

TEST(CliAnswers, ReadsEachAnsweredKeyOnceSkippingUnansweredEchoes) {
    // Cleaned reply: the first two queries are asked twice, the module left COM2 unanswered.
    const std::string cleaned =
        "at+ver=V1.2\rat+remoteip=10.0.0.1\r"
        "                                dd\r\n"
        "at+netmode=2\rat+wifi_conf=Lab,wpa2_aes,k\rat+ver=V9\rat+remoteip=10.9.9.9\r"
        "at+COM2=?\r\nat+CLport=\r";
    const Answers answers = AnsweredKeys(cleaned, kQueryKeys);
    const Answers expected = {{"ver", "V1.2"},
                              {"remoteip", "10.0.0.1"},
                              {"netmode", "2"},
                              {"wifi_conf", "Lab,wpa2_aes,k"},
                              {"CLport", ""}};
    EXPECT_EQ(answers, expected);
}

TEST(CliAnswers, AnswerWithoutItsCrIsNotTaken) {
    EXPECT_EQ(AnsweredKeys("at+netmode=1\rat+dhcpc=1", kQueryKeys), (Answers{{"netmode", "1"}}));
    EXPECT_TRUE(AnsweredKeys("no answer at all, at+ =1\r", kQueryKeys).empty());
}

TEST(CliAnswers, UnansweredEchoFirstLeavesTheKeyOutAsTheFormReadsIt) {
    // The form reads the first "+COM2=" of the reply, which the module left unanswered.
    const std::string cleaned = "at+COM2=?\r\nat+netmode=1\rat+COM2=5\r";
    EXPECT_EQ(GetAtValue(cleaned, "COM2"), "?");
    EXPECT_EQ(AnsweredKeys(cleaned, kQueryKeys), (Answers{{"netmode", "1"}}));
}

TEST(CliAnswers, EachValueIsTheOneTheFormReads) {
    const std::string cleaned =
        "at+netmode=2\rat+dhcpd=1\rat+dhcpd_ip=10.0.0.9\rat+net_ip=10.0.0.1\r"
        "at+netmode=3\rat+ver=\r";
    const Answers answers = AnsweredKeys(cleaned, kQueryKeys);
    const Answers expected = {{"netmode", "2"},
                              {"dhcpd", "1"},
                              {"dhcpd_ip", "10.0.0.9"},
                              {"net_ip", "10.0.0.1"},
                              {"ver", ""}};
    EXPECT_EQ(answers, expected);
    for (const auto& [key, value] : answers) EXPECT_EQ(value, GetAtValue(cleaned, key)) << key;
}

struct LineBreakCase {
    const char* name;
    std::string in;
    std::string out;
};

class CliLineBreaks : public ::testing::TestWithParam<LineBreakCase> {};

TEST_P(CliLineBreaks, LfAloneBecomesCrLfAndNothingElseChanges) {
    EXPECT_EQ(ToCrLf(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Table, CliLineBreaks,
                         ::testing::Values(LineBreakCase{"Lf", "a\nb\n", "a\r\nb\r\n"},
                                           LineBreakCase{"CrLfStays", "a\r\nb\r\n", "a\r\nb\r\n"},
                                           LineBreakCase{"LoneCrStays", "a\rb", "a\rb"},
                                           LineBreakCase{"LeadingAndDoubleLf", "\n\n", "\r\n\r\n"},
                                           LineBreakCase{"CrCrLf", "a\r\r\n", "a\r\r\n"},
                                           LineBreakCase{"Mixed", "a\nb\r\nc", "a\r\nb\r\nc"},
                                           LineBreakCase{"Empty", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
