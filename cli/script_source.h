// Where a script comes from: a file, standard input or a user slot.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

// LF alone becomes CR LF; CR LF stays, and nothing else changes: the module ends a command
// at CR LF, whatever editor wrote the file.
std::string ToCrLf(std::string_view text);

// "standard input" for "-", else the source in quotes, for messages.
std::string DescribedSource(std::string_view source);

// "user0" ... "user3".
bool IsSlotName(std::string_view source);

// Reads a regular file (or standard input for "-") of at most kMaxScriptBytes as it is, but
// for a leading UTF-8 byte-order mark (as Notepad saves a file), which is no part of the text.
// Returns kOk, or kNoInput with `error` naming the source and the reason.
int ReadSourceBytes(std::string_view source, std::istream& in, std::string& text,
                    std::string& error);

// Reads a regular file (or standard input for "-") of at most kMaxScriptBytes and gives it
// CR LF line breaks. Returns the exit status: kOk; kNoInput when the source cannot be read, is
// not a regular file or is too large; kDataError when it holds a NUL, which would end the sent
// text there. On failure `error` names the source and the reason.
int ReadScriptFile(std::string_view source, std::istream& in, std::string& script,
                   std::string& error);

// Reads SOURCE for submit: a user slot in `slotDir` as stored, a file or standard input with
// CR LF breaks, with the checks of ReadScriptFile; an empty script is refused as well
// (kDataError).
int ReadSubmitSource(std::string_view source, const std::filesystem::path& slotDir,
                     std::istream& in, std::string& script, std::string& error);
