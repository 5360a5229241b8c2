// Windows: CreateFileW(CREATE_NEW), FlushFileBuffers, then MoveFileExW with write-through, which
// returns only once the move is on disk.
#include <windows.h>

#include <string>

#include "atomic_file.h"

namespace {

std::error_code LastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

// Writes all bytes; WriteFile takes at most a DWORD's worth at a time.
std::error_code WriteAll(HANDLE file, std::string_view bytes) {
    constexpr std::size_t kChunk = 1u << 30;
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(bytes.size() < kChunk ? bytes.size() : kChunk);
        if (!WriteFile(file, bytes.data(), size, &written, nullptr)) return LastError();
        bytes.remove_prefix(written);
    }
    return {};
}

HANDLE CreateTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary = target;
        temporary += ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            return file;
    }
}

}  // namespace

std::error_code ReplaceFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    std::filesystem::path temporary;
    HANDLE file = CreateTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    std::error_code error = WriteAll(file, bytes);
    if (!error && !FlushFileBuffers(file)) error = LastError();
    if (!CloseHandle(file) && !error) error = LastError();
    if (!error && !MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastError();
    if (error) DeleteFileW(temporary.c_str());
    return error;
}

std::error_code RewriteFileInPlace(const std::filesystem::path& target, std::string_view bytes) {
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    std::error_code error = WriteAll(file, bytes);
    if (!error && !FlushFileBuffers(file)) error = LastError();
    if (!CloseHandle(file) && !error) error = LastError();
    return error;
}
