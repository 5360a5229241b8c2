#include "terminal_text.h"

#include <cstdio>

namespace {

bool IsShownAsIs(unsigned char byte) {
    return (byte >= 0x20 && byte != 0x7F) || byte == '\t' || byte == '\n' || byte == '\r';
}

void AppendEscaped(std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out += escaped;
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsShownAsIs(byte)) {
            out += c;
        } else {
            AppendEscaped(out, byte);
        }
    }
    return out;
}

std::string QuotedForMessage(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            AppendEscaped(out, byte);
        }
    }
    return out + "\"";
}

TerminalTextBuf::int_type TerminalTextBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize TerminalTextBuf::xsputn(const char* s, std::streamsize n) {
    std::string shown;
    for (const char c : EscapeControlBytes({s, static_cast<std::size_t>(n)})) {
        if (afterCr_ && c != '\r' && c != '\n') shown += '\n';
        afterCr_ = c == '\r';
        shown += c;
    }
    const auto size = static_cast<std::streamsize>(shown.size());
    return target_->sputn(shown.data(), size) == size ? n : 0;
}

void TerminalTextBuf::Finish() {
    if (afterCr_) target_->sputc('\n');
    afterCr_ = false;
}

bool ShowsCrAsLineEnd(const std::ostream& stream) {
    return dynamic_cast<const TerminalTextBuf*>(stream.rdbuf()) != nullptr;
}
