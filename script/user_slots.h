// User slots "user0" … "user3": raw command-pane text, byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Folder of the slot files; the current directory unless set.
void SetSlotDirectory(const std::filesystem::path& dir);
const std::filesystem::path& SlotDirectory();

// "user0" … "user3" for slot 0 … 3.
std::string SlotName(int slot);

// Shows the slot in the command pane, up to a NUL it may hold; a slot that cannot be read
// changes nothing, silently.
void LoadUserSlot(std::string_view name);
// Saves the command pane's text atomically (temporary file, then rename). A failure leaves
// the old slot intact and is reported in the log pane. Returns true on success; false, and
// writes nothing, while there is no command pane.
bool SaveUserSlot(std::string_view name);
// Reads a slot's bytes; false when it cannot be read.
bool ReadUserSlot(std::string_view name, std::string& out);
