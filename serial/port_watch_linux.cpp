// Port notices on Linux: inotify on the device folders.
#include <sys/inotify.h>
#include <unistd.h>

#include "port_watch.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kNodeEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

}  // namespace

PortWatch::PortWatch(const fs::path& root) : root_(root) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    if (inotify_add_watch(fd_, (root_ / "dev").c_str(), kNodeEvents) < 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    WatchSerialFolders();
}

PortWatch::~PortWatch() {
    if (fd_ >= 0) close(fd_);
}

void PortWatch::WatchSerialFolders() {
    // Either may be missing (no USB adapter yet); watching a watched folder again is harmless.
    const fs::path serial = root_ / "dev" / "serial";
    inotify_add_watch(fd_, serial.c_str(), kNodeEvents | IN_ONLYDIR);
    inotify_add_watch(fd_, (serial / "by-id").c_str(), kNodeEvents | IN_ONLYDIR);
}

bool PortWatch::Drain() {
    if (fd_ < 0) return false;
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    while (read(fd_, buffer, sizeof buffer) > 0) changed = true;
    // /dev/serial and its by-id folder come and go with the first and last USB adapter.
    if (changed) WatchSerialFolders();
    return changed;
}
