// What every composed script must be, whatever the form held: one "at+KEY=VALUE" command per
// CR LF line and nothing else, so no form text can add a command of its own.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

[[noreturn]] inline void FailComposedScript(std::string_view why, std::string_view line) {
    std::fprintf(stderr, "composed script: %.*s in line '%.*s'\n", static_cast<int>(why.size()),
                 why.data(), static_cast<int>(line.size()), line.data());
    std::abort();
}

// Aborts (a fuzzer finding) when `script` holds anything but such lines.
inline void RequireCommandLinesOnly(std::string_view script) {
    while (!script.empty()) {
        const std::size_t end = script.find("\r\n");
        if (end == std::string_view::npos) FailComposedScript("no CR LF after", script);
        const std::string_view line = script.substr(0, end);
        if (!line.starts_with("at+") || line.find('=') == std::string_view::npos)
            FailComposedScript("not a command", line);
        for (char c : line) {
            if (c == '\r' || c == '\n' || c == '\0')
                FailComposedScript("line end or NUL inside", line);
        }
        script.remove_prefix(end + 2);
    }
}
