// UUCP lock files on POSIX systems: the lock folders are /var/lock and /run/lock (one folder
// when QN7_LOCK_DIR names it); a lock holds its owner's PID as ten ASCII digits and a newline,
// or as a 4-byte binary number in the old form.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "serial_port.h"
#include "uucp_lock.h"

namespace {

std::vector<std::string> LockFolders() {
    if (const char* own = std::getenv("QN7_LOCK_DIR"); own != nullptr && *own != '\0') return {own};
    std::vector<std::string> folders;
    for (const char* folder : {"/var/lock", "/run/lock"}) {
        char real[PATH_MAX];
        if (realpath(folder, real) == nullptr) continue;
        bool known = false;
        for (const std::string& f : folders) known = known || f == real;
        if (!known) folders.emplace_back(real);
    }
    return folders;
}

// "LCK.." with the device's path below /dev ('/' as '_'), and with its plain name, as the
// terminal programs name their locks; a link (/dev/serial/by-id/…) counts as its device.
std::vector<std::string> LockNames(const std::string& path) {
    char real[PATH_MAX];
    std::string device = realpath(path.c_str(), real) != nullptr ? real : path;
    std::vector<std::string> names;
    if (device.starts_with("/dev/")) {
        std::string below = device.substr(5);
        for (char& c : below) c = c == '/' ? '_' : c;
        names.push_back("LCK.." + below);
    }
    const std::string base = "LCK.." + device.substr(device.find_last_of('/') + 1);
    if (names.empty() || names[0] != base) names.push_back(base);
    return names;
}

// Every PID a lock file can be read to name: the ASCII digits most programs write, and the
// 4-byte binary number of the old form when the file holds exactly 4 bytes. "301\n" is both a
// live process 301 and a binary number no process has, so a lock is only as stale as its
// readings agree. Empty when it names none (empty, or not a number); `err` gets the error
// number of a file that cannot be read.
std::vector<pid_t> LockOwners(const std::string& file, int* err) {
    char text[128] = {};
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return {};
    }
    const ssize_t n = read(fd, text, sizeof text - 1);
    *err = n < 0 ? errno : 0;
    close(fd);
    int ascii = 0;
    if (n <= 0 || std::sscanf(text, "%d", &ascii) != 1) ascii = 0;
    int binary = 0;
    if (n == 4) std::memcpy(&binary, text, sizeof binary);
    // The reading of the form the file is written in comes first, so a message names its owner.
    const bool asText = std::all_of(text, text + std::max<ssize_t>(n, 0), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) ||
               std::isspace(static_cast<unsigned char>(c));
    });
    std::vector<pid_t> owners;
    for (int pid : asText ? std::array{ascii, binary} : std::array{binary, ascii}) {
        if (pid > 0) owners.push_back(pid);
    }
    return owners;
}

bool Alive(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

std::string ProgramOf(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "another program" : name;
}

// 0 when `file` holds no live lock (a stale one is removed), else the busy code with `why`.
// Our own PID in a lock is stale: the port's flock, which this process holds, rules out
// another holder here.
int32_t Check(const std::string& file, std::string* why) {
    struct stat info {};
    if (lstat(file.c_str(), &info) != 0) return 0;
    int err = 0;
    const std::vector<pid_t> owners = LockOwners(file, &err);
    if (owners.empty()) {
        *why = "The port is busy: the lock file " + file +
               (err != 0 ? " cannot be read (" + std::string(std::strerror(err)) + ")"
                         : " names no process");
        return kErrorSharingViolation;
    }
    for (pid_t owner : owners) {
        if (owner != getpid() && Alive(owner)) {
            *why = "The port is busy: locked by " + ProgramOf(owner) + " (process " +
                   std::to_string(owner) + ") in " + file;
            return kErrorSharingViolation;
        }
    }
    if (unlink(file.c_str()) != 0 && errno != ENOENT) {
        // Root's lock in the sticky lock folder, say: other programs still take it as held.
        err = errno;
        *why = "The port is blocked by a stale lock file: " + file + " names process " +
               std::to_string(owners.front()) + ", which has ended, but it cannot be removed (" +
               std::strerror(err) + "); remove it to use the port";
        return kErrorSharingViolation;
    }
    return 0;
}

}  // namespace

int32_t UucpLock::Acquire(const std::string& path, std::string* why) {
    const std::vector<std::string> folders = LockFolders();
    const std::vector<std::string> names = LockNames(path);
    for (const std::string& folder : folders) {
        for (const std::string& name : names) {
            if (int32_t code = Check(folder + "/" + name, why)) return code;
        }
    }
    for (const std::string& folder : folders) {
        if (access(folder.c_str(), W_OK) != 0) continue;
        char pid[16];
        const int length = std::snprintf(pid, sizeof pid, "%10d\n", static_cast<int>(getpid()));
        for (const std::string& name : names) {
            const std::string file = folder + "/" + name;
            const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 && errno == EEXIST) {  // another program came first, just now
                Release();
                *why = "The port is busy: " + file + " was locked just now";
                return kErrorSharingViolation;
            }
            if (fd < 0) continue;
            // A lock cut short by a full disk names no process: others still take it as busy.
            (void)!write(fd, pid, length);
            close(fd);
            created_.push_back(file);
        }
        break;
    }
    return 0;
}

void UucpLock::Release() {
    for (const std::string& file : created_) (void)unlink(file.c_str());
    created_.clear();
}
