// The command pane and the log pane. A TextPane holds the exact bytes it shows (CR LF line
// breaks as given), so reading it back returns what was shown, whatever a widget stores.
// A widget mirrors the pane by overriding the On* hooks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TextPane {
  public:
    virtual ~TextPane() = default;

    const std::string& Text() const { return text_; }
    // A CR LF pair, a lone CR and a lone LF each end one line; the text after the last break
    // (possibly empty) is the last line.
    int LineCount() const;

    void Clear();
    void Append(std::string_view text);
    void RemoveFirstLine();  // the oldest line and its break
    // The oldest `count` lines in one step (one OnFrontRemoved), so a long trim stays linear.
    void RemoveFirstLines(int count);
    void ScrollToBottom();

  protected:
    virtual void OnCleared() {}
    virtual void OnAppended(std::string_view /*text*/) {}
    // The first `bytes` of the text went, and `lines` lines with them: each line whose break
    // went, and the last line (it has no break) when its text went too.
    virtual void OnFrontRemoved(std::size_t /*bytes*/, int /*lines*/) {}
    virtual void OnScrollToBottom() {}

  private:
    std::string text_;
};

// `text` as a widget shows it: each line break (CR LF, lone CR, lone LF) as one LF. With
// `afterCr` the text before ended in a CR, so a LF at the start completes that break.
std::string BreaksAsLf(std::string_view text, bool afterCr);

// Plain in-memory pane (tests, command line).
class MemoryPane : public TextPane {};

inline constexpr int kPaneLineCap = 512;

#if defined(__GNUC__)
#define QN7_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define QN7_PRINTF_FORMAT(f, a)
#endif

// Removes the oldest lines while more than kPaneLineCap remain, leaving kPaneLineCap + 1.
void TrimPane(TextPane& pane);
// Replaces the pane's text with `text` (or appends it), trims and scrolls to the bottom: the
// writes of the command pane and the log pane.
void ShowInPane(TextPane& pane, std::string_view text);
void AppendToPane(TextPane& pane, std::string_view text);
