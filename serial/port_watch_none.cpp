// Port notices where the system offers none to watch: Fd() stays -1 and nothing is drained.
#include "port_watch.h"

namespace fs = std::filesystem;

PortWatch::PortWatch(const fs::path& root) : root_(root) {}
PortWatch::~PortWatch() = default;
void PortWatch::WatchSerialFolders() {}
bool PortWatch::Drain() {
    return false;
}
