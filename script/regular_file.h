// Reading a file the user named (a script, a slot) without letting it hang or flood the
// program: a FIFO would block the open, /dev/zero never ends, a link may point anywhere.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// Far above any script the form composes or the command pane holds (a few KiB).
inline constexpr std::size_t kMaxScriptBytes = std::size_t{1} << 20;

enum class LinkPolicy { kFollow, kRefuse };

struct FileReadResult {
    bool ok = false;
    bool missing = false;  // the file does not exist
    std::string reason;    // why it was not read, as a phrase: "it is a FIFO, not a regular file"
};

// Reads a regular file of at most `maxBytes` into `bytes` (left unchanged on failure). The open
// never blocks; anything but a regular file is refused, and so is a symbolic link under
// LinkPolicy::kRefuse.
FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                               LinkPolicy links, std::string& bytes);

// The reason for a file over `maxBytes`: "it is too large (over 1 MiB)".
inline std::string TooLargeReason(std::size_t maxBytes) {
    return "it is too large (over " + std::to_string(maxBytes >> 20) + " MiB)";
}
