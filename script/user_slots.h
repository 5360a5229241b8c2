// User slots "user0" … "user3": raw command-pane text, byte for byte. Loading and saving them
// into the panes is the Session's (session.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// "user0" … "user3" for slot 0 … 3.
std::string SlotName(int slot);

// Reads the bytes of slot `name` in `dir`, never through a link; false when it cannot be read
// (a link, not a regular file, over kMaxScriptBytes), with `reason` (if given) set to why, or
// emptied when the slot does not exist.
bool ReadUserSlot(const std::filesystem::path& dir, std::string_view name, std::string& out,
                  std::string* reason = nullptr);
