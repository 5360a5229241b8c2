#include "user_slots.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pane.h"

namespace {

std::filesystem::path g_slotDirectory = ".";

std::filesystem::path SlotPath(std::string_view name) {
    return g_slotDirectory / name;
}

// Writes all bytes, resuming after short writes and signals. 0 or an errno value.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Creates a fresh temporary file beside the slot (same folder, so the rename is atomic).
// Slots hold WiFi keys in plain text: a new slot is readable by its owner only, and a slot
// being replaced keeps the permissions it had.
int CreateTemporary(const std::filesystem::path& slot, std::filesystem::path& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary = slot;
        temporary += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST || attempt == 100) {
            struct stat old {};
            if (fd >= 0 && ::stat(slot.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
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

// Temporary file, fsync, rename over the slot: the slot holds either the old or the new
// text, never a part. 0 or an errno value; the temporary is gone either way.
int ReplaceAtomically(const std::filesystem::path& slot, std::string_view bytes) {
    std::filesystem::path temporary;
    const int fd = CreateTemporary(slot, temporary);
    if (fd < 0) return errno;
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), slot.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    SyncDirectory(slot);
    return 0;
}

}  // namespace

void SetSlotDirectory(const std::filesystem::path& dir) {
    g_slotDirectory = dir;
}

const std::filesystem::path& SlotDirectory() {
    return g_slotDirectory;
}

std::string SlotName(int slot) {
    return "user" + std::to_string(slot);
}

bool ReadUserSlot(std::string_view name, std::string& out) {
    std::FILE* file = std::fopen(SlotPath(name).c_str(), "rb");
    if (file == nullptr) return false;
    std::string bytes;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    if (ok) out = std::move(bytes);
    return ok;
}

void LoadUserSlot(std::string_view name) {
    std::string text;
    if (!ReadUserSlot(name, text)) return;
    // A script is text up to its NUL, and the port sends no further: the pane shows only what
    // a submit would send.
    ShowScript(std::string_view(text).substr(0, text.find('\0')));
}

bool SaveUserSlot(std::string_view name) {
    if (g_pCmdPane == nullptr) return false;
    const std::filesystem::path slot = SlotPath(name);
    const int error = ReplaceAtomically(slot, g_pCmdPane->Text());
    if (error != 0) {
        LogPrintf("Could not save user slot \"%s\": %s\r\n", slot.c_str(), std::strerror(error));
    }
    return error == 0;
}
