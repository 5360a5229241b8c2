// POSIX: open(O_EXCL), fsync, rename, then fsync of the folder for the rename itself.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "atomic_file.h"

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Writes all bytes, resuming after short writes and signals.
std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// A target may hold secrets (slots keep WiFi keys): a new one is private, a replaced one keeps
// the permissions its owner gave it. A link's target's mode is not the link's to give.
int CreateTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary = target;
        temporary += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST || attempt == 100) {
            struct stat old {};
            if (fd >= 0 && ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                ::fchmod(fd, old.st_mode & 07777);
            return fd;
        }
    }
}

// Flushes the folder entry of the rename; best effort, the data itself is already synced.
void SyncDirectory(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::error_code ReplaceFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    std::filesystem::path temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) return LastError();
    std::error_code error = WriteAll(fd, bytes);
    if (!error && ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) error = LastError();
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    SyncDirectory(target);
    return {};
}

std::error_code RewriteFileInPlace(const std::filesystem::path& target, std::string_view bytes) {
    // O_NONBLOCK: a FIFO put in the slot's place must not hold up the save.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return LastError();
    struct stat st {};
    std::error_code error;
    if (::fstat(fd, &st) != 0)
        error = LastError();
    else if (!S_ISREG(st.st_mode))
        error = std::make_error_code(std::errc::invalid_argument);
    else if (::ftruncate(fd, 0) != 0)
        error = LastError();
    if (!error) error = WriteAll(fd, bytes);
    if (!error && ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    return error;
}
