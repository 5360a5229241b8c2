#include "pane.h"

#include <cstdarg>
#include <cstdio>

TextPane* g_pCmdPane = nullptr;
TextPane* g_pLogPane = nullptr;

namespace {

// Length of the line break at pos (CR LF counts as one break of two bytes), 0 if none.
std::size_t BreakLengthAt(const std::string& text, std::size_t pos) {
    if (text[pos] == '\n') return 1;
    if (text[pos] != '\r') return 0;
    return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
}

// Byte offset just past the first `lines` lines and their breaks (the whole text when it
// has fewer breaks).
std::size_t OffsetAfterLines(const std::string& text, int lines) {
    std::size_t pos = 0;
    while (lines > 0 && pos < text.size()) {
        const std::size_t breakLength = BreakLengthAt(text, pos);
        pos += breakLength == 0 ? 1 : breakLength;
        if (breakLength != 0) --lines;
    }
    return lines > 0 ? text.size() : pos;
}

void WriteAndTrim(TextPane& pane, std::string_view text) {
    pane.Append(text);
    TrimPane(pane);
    pane.ScrollToBottom();
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
    const std::size_t bytes = OffsetAfterLines(text_, count);
    if (bytes == 0) return;
    text_.erase(0, bytes);
    OnFrontRemoved(bytes);
}

void TextPane::ScrollToBottom() {
    OnScrollToBottom();
}

void TrimPane(TextPane& pane) {
    const int lines = pane.LineCount();
    if (lines > kPaneLineCap) pane.RemoveFirstLines(lines - (kPaneLineCap + 1));
}

void ShowScript(std::string_view text) {
    if (g_pCmdPane == nullptr) return;
    g_pCmdPane->Clear();
    WriteAndTrim(*g_pCmdPane, text);
}

void AppendLog(std::string_view text) {
    if (g_pLogPane == nullptr) return;
    WriteAndTrim(*g_pLogPane, text);
}

void LogPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    if (length >= 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
        AppendLog(text);
    }
    va_end(args);
}
