// Built-in preset scripts and the four user slot files.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

struct Preset {
    int buttonId;
    const char* label;
    const char* script;
};
// In the order of the hidden preset buttons: 1001, 1025, 1002, 1026, 1003.
extern const std::array<Preset, 5> kPresets;
// The preset of a button, nullptr for any other control.
const Preset* PresetForButton(int id);
// The script the dialog starts with.
std::string_view FirstPresetScript();
