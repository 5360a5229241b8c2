// Replacing a file in one step: readers find either its old bytes or the new ones, never a part.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

// Writes `bytes` to a fresh temporary file beside `target` (same folder, so the final move is
// atomic), flushes it to disk and moves it over `target`. On POSIX a new target is readable
// and writable by its owner only and a replaced one keeps its mode; a symbolic link is replaced
// by a new file, never written through. On failure `target` is untouched and the temporary is
// removed; the result carries the system's code and text.
std::error_code ReplaceFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// For a folder where no file may be created: truncates the existing regular file `target` and
// writes `bytes` into it, then flushes it to disk. Not atomic (an interruption leaves a part)
// and never through a symbolic link.
std::error_code RewriteFileInPlace(const std::filesystem::path& target, std::string_view bytes);
