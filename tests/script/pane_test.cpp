#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "pane_fixture.h"

namespace {

std::string NumberedLines(int first, int last, const char* lineBreak) {
    std::string text;
    for (int n = first; n <= last; ++n) {
        text += "line " + std::to_string(n);
        if (n < last) text += lineBreak;
    }
    return text;
}

TEST(TextPaneTest, CountsLinesAsARichEditDoes) {
    const std::pair<const char*, int> cases[] = {{"", 1},       {"a", 1},        {"a\r\n", 2},
                                                 {"a\r\nb", 2}, {"a\rb", 2},     {"a\nb", 2},
                                                 {"a\n\rb", 3}, {"\r\n\r\n", 3}, {"a\r\r\nb", 3}};
    for (const auto& [text, lines] : cases) {
        MemoryPane pane;
        pane.Append(text);
        EXPECT_EQ(pane.LineCount(), lines) << testing::PrintToString(std::string(text));
    }
}

TEST(TextPaneTest, RemoveFirstLineTakesTheLineAndItsBreak) {
    MemoryPane pane;
    pane.Append("one\r\ntwo\rthree\nfour");
    pane.RemoveFirstLine();
    EXPECT_EQ(pane.Text(), "two\rthree\nfour");
    pane.RemoveFirstLines(2);
    EXPECT_EQ(pane.Text(), "four");
    pane.RemoveFirstLine();
    EXPECT_EQ(pane.Text(), "");
}

using PaneTest = PaneFixture;

TEST_F(PaneTest, ShowScriptReplacesAndReadsBackTheExactBytes) {
    session.ShowScript("old\r\n");
    const std::string script = "at+netmode=1\r\nat+x=\xE4\xB8\xAD\r\n\nmixed\rend";
    session.ShowScript(script);
    EXPECT_EQ(cmdPane.Text(), script);
}

struct TrimCase {
    const char* name;
    int lines;
    const char* lineBreak;
    bool finalBreak;
    int firstKept;  // number of the first line left
};

void PrintTo(const TrimCase& c, std::ostream* os) {
    *os << c.name;
}

class PaneTrimTest : public PaneFixture, public testing::WithParamInterface<TrimCase> {};

TEST_P(PaneTrimTest, ShowScriptKeepsTheNewestLines) {
    const TrimCase& c = GetParam();
    std::string text = NumberedLines(1, c.lines, c.lineBreak);
    if (c.finalBreak) text += c.lineBreak;
    session.ShowScript(text);
    std::string expected = NumberedLines(c.firstKept, c.lines, c.lineBreak);
    if (c.finalBreak) expected += c.lineBreak;
    EXPECT_EQ(cmdPane.Text(), expected);
    EXPECT_EQ(cmdPane.LineCount(), std::min(c.lines + (c.finalBreak ? 1 : 0), 513));
}

INSTANTIATE_TEST_SUITE_P(Lengths, PaneTrimTest,
                         testing::Values(TrimCase{"Exactly512", 512, "\r\n", false, 1},
                                         TrimCase{"Exactly513", 513, "\r\n", false, 1},
                                         TrimCase{"Lines514", 514, "\r\n", false, 2},
                                         TrimCase{"Lines600", 600, "\r\n", false, 88},
                                         // The empty line after a final break counts too.
                                         TrimCase{"Lines600FinalBreak", 600, "\r\n", true, 89},
                                         TrimCase{"Lines600LoneLf", 600, "\n", false, 88},
                                         TrimCase{"Lines600LoneCr", 600, "\r", false, 88}),
                         [](const testing::TestParamInfo<TrimCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(PaneTest, LogOf513LinesIsKeptAndOneMoreTrimsIt) {
    for (int n = 1; n <= 512; ++n) session.AppendLog(">:line " + std::to_string(n) + "\r\n");
    EXPECT_EQ(logPane.LineCount(), 513);  // 512 lines and the empty last one
    EXPECT_EQ(logPane.Text().rfind(">:line 1\r\n", 0), 0u);
    session.AppendLog(">:line 513\r\n");
    EXPECT_EQ(logPane.LineCount(), 513);
    EXPECT_EQ(logPane.Text().rfind(">:line 2\r\n", 0), 0u);
    EXPECT_EQ(logPane.Text().substr(logPane.Text().size() - 12), ">:line 513\r\n");
}

TEST_F(PaneTest, LogPrintfFormatsAnyLength) {
    session.LogPrintf(">:%s\r\n", "");
    EXPECT_EQ(logPane.Text(), ">:\r\n");
    const std::string reply(10000, 'r');
    session.LogPrintf(">:%s\r\n", reply.c_str());
    EXPECT_EQ(logPane.Text(), ">:\r\n>:" + reply + "\r\n");
    session.LogPrintf("(:Found Device at COM%d(%d)!\r\n", 11, 115200);
    EXPECT_NE(logPane.Text().find("(:Found Device at COM11(115200)!\r\n"), std::string::npos);
}

TEST_F(PaneTest, NullPanesDoNothing) {
    session.SetPanes(nullptr, nullptr);
    session.ShowScript("x");
    session.AppendLog("y");
    session.LogPrintf("%s", "z");
    EXPECT_EQ(cmdPane.Text(), "");
    EXPECT_EQ(logPane.Text(), "");
}

// Records the hook calls a widget would mirror.
class RecordingPane : public TextPane {
  public:
    std::string events;
    std::vector<int> removedLines;  // the line count of each front removal

  protected:
    void OnCleared() override { events += "C"; }
    void OnAppended(std::string_view text) override { events += "A" + std::string(text); }
    void OnFrontRemoved(std::size_t bytes, int lines) override {
        events += "R" + std::to_string(bytes);
        removedLines.push_back(lines);
    }
    void OnScrollToBottom() override { events += "S"; }
};

TEST(PaneHooksTest, WidgetSeesEveryChangeInOrder) {
    RecordingPane pane;
    Session(&pane, nullptr).ShowScript("ab");
    EXPECT_EQ(pane.events, "CAabS");
    pane.events.clear();
    pane.Append(NumberedLines(1, 514, "\r\n"));
    pane.events.clear();
    TrimPane(pane);
    EXPECT_EQ(pane.events, "R" + std::to_string(std::string("abline 1\r\n").size()));
}

// A text longer than the pane holds reaches the widget already trimmed: it never shows (nor
// removes line by line) what would go at once, and the pane ends as a whole append and trim
// would leave it.
TEST(PaneHooksTest, HugeAppendReachesTheWidgetTrimmed) {
    struct Case {
        std::string before;
        std::string appended;
    };
    const Case cases[] = {
        {"old\r\n", NumberedLines(1, 5000, "\r\n") + "\r\n"},
        {"old", NumberedLines(1, 600, "\n")},
        // The CR before and the LF appended are one break.
        {"old\r", "\n" + NumberedLines(1, 514, "\r")},
        {"", NumberedLines(1, kPaneLineCap + 2, "\r\n")},
    };
    for (const Case& c : cases) {
        MemoryPane whole;
        whole.Append(c.before + c.appended);
        TrimPane(whole);
        RecordingPane pane;
        pane.Append(c.before);
        pane.events.clear();
        AppendToPane(pane, c.appended);
        EXPECT_EQ(pane.Text(), whole.Text()) << c.before;
        EXPECT_EQ(pane.LineCount(), kPaneLineCap + 1);
        EXPECT_EQ(pane.events, "CA" + whole.Text() + "S") << c.before;
    }
}

TEST(PaneHooksTest, FrontRemovalTellsHowManyLinesWent) {
    struct Case {
        const char* text;
        int count;
        std::size_t bytes;
        int lines;
    };
    const Case cases[] = {{"one\r\ntwo\rthree\nfour", 1, 5, 1},
                          {"one\r\ntwo\rthree\nfour", 3, 15, 3},
                          {"one\r\ntwo\rthree\nfour", 4, 19, 4},
                          {"one\r\ntwo\rthree\nfour", 9, 19, 4},
                          {"only", 1, 4, 1},
                          {"a\r\n", 1, 3, 1},
                          {"a\r\n", 2, 3, 1},  // the empty last line stays
                          {"\r\n\r\n", 2, 4, 2}};
    for (const Case& c : cases) {
        RecordingPane pane;
        pane.Append(c.text);
        pane.events.clear();
        pane.RemoveFirstLines(c.count);
        EXPECT_EQ(pane.events, "R" + std::to_string(c.bytes)) << c.text << " " << c.count;
        EXPECT_EQ(pane.removedLines, std::vector<int>{c.lines}) << c.text << " " << c.count;
    }
}

TEST(PaneHooksTest, NothingToRemoveRaisesNoHook) {
    RecordingPane pane;
    pane.RemoveFirstLine();
    pane.Append("x");
    pane.events.clear();
    pane.RemoveFirstLines(0);
    EXPECT_EQ(pane.events, "");
}

TEST(BreaksAsLfTest, EachBreakIsOneLf) {
    EXPECT_EQ(BreaksAsLf("a\r\nb\rc\nd", false), "a\nb\nc\nd");
    EXPECT_EQ(BreaksAsLf("\n\r\r\n", false), "\n\n\n");
    EXPECT_EQ(BreaksAsLf("a\r", false), "a\n");
    EXPECT_EQ(BreaksAsLf("", true), "");
    // A LF that completes the CR before it adds no line; a later one does.
    EXPECT_EQ(BreaksAsLf("\nb", true), "b");
    EXPECT_EQ(BreaksAsLf("\nb", false), "\nb");
    EXPECT_EQ(BreaksAsLf("b\n", true), "b\n");
}

}  // namespace
