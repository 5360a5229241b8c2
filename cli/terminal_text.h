// Text for a terminal: module replies may carry ESC sequences, BEL or backspaces, which a
// terminal would obey (retitle the window, clear the screen, hide what came before).
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

// Every control byte but TAB, LF and CR (the replies' own line breaks), and DEL, as "\xHH".
std::string EscapeControlBytes(std::string_view text);

// `text` in double quotes with every control byte (TAB, CR, LF and NUL included), DEL, the
// quote and the backslash as "\xHH": a name taken from a file may then neither start a line of its
// own nor drive a terminal, wherever the message goes.
std::string QuotedForMessage(std::string_view text);

// What a terminal is given: everything passes to `target` with EscapeControlBytes applied, and
// a CR that ends a line of its own (no LF after it, as the module ends its answers) gets a LF,
// so that the next line does not overwrite it. It buffers nothing itself but such a CR.
class TerminalTextBuf final : public std::streambuf {
  public:
    explicit TerminalTextBuf(std::streambuf* target) : target_(target) {}
    // Ends a last line that stopped at a CR.
    void Finish();

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override { return target_->pubsync(); }

  private:
    std::streambuf* target_;
    bool afterCr_ = false;
};

// Whether `stream` shows CR-ended lines as lines (it writes to a terminal through a
// TerminalTextBuf), so that a writer that marks lines must count a CR as a line's end.
bool ShowsCrAsLineEnd(const std::ostream& stream);
