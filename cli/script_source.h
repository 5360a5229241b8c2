// Where a script comes from: a file, standard input or a user slot.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

// LF alone becomes CR LF; CR LF stays, and nothing else changes: the module ends a command
// at CR LF, whatever editor wrote the file.
std::string ToCrLf(std::string_view text);

// "user0" ... "user3".
bool IsSlotName(std::string_view source);

// Reads a file, or standard input for "-", and gives it CR LF line breaks. On failure returns
// false and sets `error` to a message naming the source and the reason.
bool ReadScriptFile(std::string_view source, std::istream& in, std::string& script,
                    std::string& error);

// Reads SOURCE for submit: a user slot in `slotDir` as stored, a file or standard input with
// CR LF breaks.
bool ReadSubmitSource(std::string_view source, const std::filesystem::path& slotDir,
                      std::istream& in, std::string& script, std::string& error);
