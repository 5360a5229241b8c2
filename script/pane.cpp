#include "pane.h"

namespace {

// Length of the line break at pos (CR LF counts as one break of two bytes), 0 if none.
std::size_t BreakLengthAt(std::string_view text, std::size_t pos) {
    if (text[pos] == '\n') return 1;
    if (text[pos] != '\r') return 0;
    return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
}

struct FrontLines {
    std::size_t bytes = 0;
    int lines = 0;
};

// The first `count` lines and their breaks: the bytes they span and how many lines that is.
// With fewer breaks in the text, the whole text, its last line counted when not empty.
FrontLines FirstLines(const std::string& text, int count) {
    FrontLines front;
    while (front.lines < count && front.bytes < text.size()) {
        const std::size_t breakLength = BreakLengthAt(text, front.bytes);
        front.bytes += breakLength == 0 ? 1 : breakLength;
        if (breakLength != 0) ++front.lines;
    }
    if (front.lines < count && front.bytes > 0 && BreakLengthAt(text, front.bytes - 1) == 0) {
        ++front.lines;
    }
    return front;
}

// Where the newest kPaneLineCap + 1 lines of `text` begin, when `text` alone has more lines than
// those; npos otherwise. With `afterCr` the pane ends in a CR, so a LF at the start of `text`
// completes that break and is not one of its own.
std::size_t NewestLinesStart(std::string_view text, bool afterCr) {
    const std::size_t first = afterCr && text.starts_with('\n') ? 1 : 0;
    int breaks = 0;
    for (std::size_t end = text.size(); end > first; --end) {
        const std::size_t pos = end - 1;
        if (text[pos] != '\n' && text[pos] != '\r') continue;
        if (++breaks == kPaneLineCap + 1) return end;
        // A CR LF pair is one break.
        if (text[pos] == '\n' && pos > first && text[pos - 1] == '\r') --end;
    }
    return std::string_view::npos;
}

}  // namespace

int TextPane::LineCount() const {
    int lines = 1;
    for (std::size_t pos = 0; pos < text_.size();) {
        const std::size_t breakLength = BreakLengthAt(text_, pos);
        pos += breakLength == 0 ? 1 : breakLength;
        if (breakLength != 0) ++lines;
    }
    return lines;
}

void TextPane::Clear() {
    text_.clear();
    OnCleared();
}

void TextPane::Append(std::string_view text) {
    text_.append(text);
    OnAppended(text);
}

void TextPane::RemoveFirstLine() {
    RemoveFirstLines(1);
}

void TextPane::RemoveFirstLines(int count) {
    const FrontLines front = FirstLines(text_, count);
    if (front.bytes == 0) return;
    text_.erase(0, front.bytes);
    OnFrontRemoved(front.bytes, front.lines);
}

void TextPane::ScrollToBottom() {
    OnScrollToBottom();
}

std::string BreaksAsLf(std::string_view text, bool afterCr) {
    if (afterCr && text.starts_with('\n')) text.remove_prefix(1);
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t breakLength = BreakLengthAt(text, pos);
        shown += breakLength == 0 ? text[pos] : '\n';
        pos += breakLength == 0 ? 1 : breakLength;
    }
    return shown;
}

void TrimPane(TextPane& pane) {
    const int lines = pane.LineCount();
    if (lines > kPaneLineCap) pane.RemoveFirstLines(lines - (kPaneLineCap + 1));
}

void AppendToPane(TextPane& pane, std::string_view text) {
    // A text longer than the pane holds replaces it with its newest lines, so the widget never
    // takes (and then drops line by line) what would be trimmed anyway.
    const std::size_t newest = NewestLinesStart(text, pane.Text().ends_with('\r'));
    if (newest != std::string_view::npos) {
        pane.Clear();
        pane.Append(text.substr(newest));
    } else {
        pane.Append(text);
        TrimPane(pane);
    }
    pane.ScrollToBottom();
}

void ShowInPane(TextPane& pane, std::string_view text) {
    pane.Clear();
    AppendToPane(pane, text);
}
