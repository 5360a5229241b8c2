// UUCP lock files ("LCK..ttyUSB0" in /var/lock): how terminal programs that neither flock nor
// open exclusively (minicom among them) claim a port. A port with a live owner is busy; a lock
// whose owner has died is removed; while this tool holds a port it leaves its own lock there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class UucpLock {
  public:
    UucpLock() = default;
    ~UucpLock() { Release(); }
    UucpLock(UucpLock&& other) noexcept : created_(std::move(other.created_)) {
        other.created_.clear();
    }
    UucpLock& operator=(UucpLock&&) = delete;
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Claims the device at `path`: 0, or kErrorSharingViolation with `why` naming the owner.
    // Without a writable lock folder the port is only checked, not claimed.
    int32_t Acquire(const std::string& path, std::string* why);
    // Removes the lock files this object made.
    void Release();

  private:
    std::vector<std::string> created_;
};
