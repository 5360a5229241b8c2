// POSIX: open with O_NONBLOCK (a FIFO opens at once) and O_NOFOLLOW where links are refused,
// then fstat the open file, so the checks and the read see the same file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "regular_file.h"

namespace {

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a plain file";
}

FileReadResult Refused(std::string reason) {
    return {false, false, std::move(reason)};
}

FileReadResult FromErrno(int err) {
    return {false, err == ENOENT, std::strerror(err)};
}

// The link itself, not what it points to: lstat tells a link from the other ELOOP causes.
bool IsLink(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                               LinkPolicy links, std::string& bytes) {
    const int noFollow = links == LinkPolicy::kRefuse ? O_NOFOLLOW : 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP && noFollow && IsLink(path))
            return Refused("it is a symbolic link, which is not followed");
        return FromErrno(err);
    }
    struct stat st {};
    FileReadResult result;
    std::string read;
    if (::fstat(fd, &st) != 0) {
        result = FromErrno(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result = Refused(std::string("it is ") + KindOf(st.st_mode) + ", not a regular file");
    } else if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        result = Refused(TooLargeReason(maxBytes));
    } else {
        // The file may grow while it is read: one byte beyond the limit tells.
        read.resize(maxBytes + 1);
        std::size_t got = 0;
        result.ok = true;
        while (got < read.size()) {
            const ssize_t n = ::read(fd, read.data() + got, read.size() - got);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                result = FromErrno(errno);
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        if (result.ok && got > maxBytes) result = Refused(TooLargeReason(maxBytes));
        read.resize(got);
    }
    ::close(fd);
    if (result.ok) bytes = std::move(read);
    return result;
}
