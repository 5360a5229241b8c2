// Notice of serial devices coming and going: inotify on ROOT/dev and ROOT/dev/serial/by-id
// (Linux only). The caller polls Fd() for reading (a socket notifier in the dialog) and then
// calls Drain(); a fresh scan of the port list tells what changed. Elsewhere Fd() is -1.
#pragma once

#include <filesystem>

class PortWatch {
  public:
    explicit PortWatch(const std::filesystem::path& root);
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    // -1 when nothing can be watched.
    int Fd() const { return fd_; }
    // Reads the pending events; true when there were any.
    bool Drain();

  private:
    void WatchSerialFolders();

    std::filesystem::path root_;
    int fd_ = -1;
};
