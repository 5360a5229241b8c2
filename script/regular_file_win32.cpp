// Windows: no FIFOs to block an open; the file's kind and size come from its directory entry.
#include <cstdio>
#include <system_error>

#include "regular_file.h"

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                               LinkPolicy links, std::string& bytes) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status entry = fs::symlink_status(path, error);
    if (error) return {false, error == std::errc::no_such_file_or_directory, error.message()};
    if (fs::is_symlink(entry) && links == LinkPolicy::kRefuse)
        return {false, false, "it is a symbolic link, which is not followed"};
    const fs::file_status target = fs::status(path, error);
    if (fs::is_directory(target)) return {false, false, "it is a directory, not a regular file"};
    if (!fs::is_regular_file(target)) return {false, false, "it is not a regular file"};
    if (fs::file_size(path, error) > maxBytes) return {false, false, TooLargeReason(maxBytes)};
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file == nullptr) return {false, false, "it cannot be opened"};
    std::string read(maxBytes + 1, '\0');
    read.resize(std::fread(read.data(), 1, read.size(), file));
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return {false, false, "it cannot be read"};
    if (read.size() > maxBytes) return {false, false, TooLargeReason(maxBytes)};
    bytes = std::move(read);
    return {true, false, {}};
}
