#include "script_invariants.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(std::string_view why, std::string_view line) {
    std::fprintf(stderr, "composed script: %.*s in line '%.*s'\n", static_cast<int>(why.size()),
                 why.data(), static_cast<int>(line.size()), line.data());
    std::abort();
}

}  // namespace

void RequireCommandLinesOnly(std::string_view script) {
    while (!script.empty()) {
        const std::size_t end = script.find("\r\n");
        if (end == std::string_view::npos) Fail("no CR LF after", script);
        const std::string_view line = script.substr(0, end);
        if (!line.starts_with("at+") || line.find('=') == std::string_view::npos)
            Fail("not a command", line);
        for (char c : line) {
            if (c == '\r' || c == '\n' || c == '\0') Fail("line end or NUL inside", line);
        }
        script.remove_prefix(end + 2);
    }
}
