#include "terminal_text.h"

#include <cstdio>

namespace {

bool IsShownAsIs(unsigned char byte) {
    return (byte >= 0x20 && byte != 0x7F) || byte == '\t' || byte == '\n' || byte == '\r';
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsShownAsIs(byte)) {
            out += c;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        out += escaped;
    }
    return out;
}

ControlEscapingBuf::int_type ControlEscapingBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize ControlEscapingBuf::xsputn(const char* s, std::streamsize n) {
    const std::string escaped = EscapeControlBytes({s, static_cast<std::size_t>(n)});
    const auto size = static_cast<std::streamsize>(escaped.size());
    return target_->sputn(escaped.data(), size) == size ? n : 0;
}
