// Text for a terminal: module replies may carry ESC sequences, BEL or backspaces, which a
// terminal would obey (retitle the window, clear the screen, hide what came before).
#pragma once

#include <streambuf>
#include <string>
#include <string_view>

// Every control byte but TAB, LF and CR (the replies' own line breaks), and DEL, as "\xHH".
std::string EscapeControlBytes(std::string_view text);

// A stream buffer that passes everything to `target` with EscapeControlBytes applied; it
// buffers nothing itself.
class ControlEscapingBuf final : public std::streambuf {
  public:
    explicit ControlEscapingBuf(std::streambuf* target) : target_(target) {}

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override { return target_->pubsync(); }

  private:
    std::streambuf* target_;
};
