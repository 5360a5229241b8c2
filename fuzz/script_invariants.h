// What every composed script must be, whatever the form held: one "at+KEY=VALUE" command per
// CR LF line and nothing else, so no form text can add a command of its own.
#pragma once

#include <string_view>

// Aborts (a fuzzer finding) when `script` holds anything but such lines.
void RequireCommandLinesOnly(std::string_view script);
