// What the suites measure about this process (descriptors, resident memory, CPU time), and
// checks that run in a forked child, as the unprivileged user where root would pass anyway.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Descriptors this process holds: shows whether a port was really released.
int OpenFdCount();
// Resident memory of this process, in KiB.
std::size_t ResidentKiB();
// User plus system CPU time of this process (all threads), in milliseconds.
long CpuMs();
// How much resident growth a bounded run may show. Sanitizers keep freed memory in quarantine,
// so they get more room; a leak or an unbounded buffer still exceeds it by far.
std::size_t ResidentGrowthAllowanceKiB();

// Runs `child` in a forked process and returns its exit status (-1 when it did not exit).
// The child reports through its status: 0 for success, anything else names a failed check.
int RunInChild(const std::function<int()>& child);

// Drops this (child) process to the unprivileged user nobody. False when that fails.
bool BecomeNobody();
inline constexpr unsigned kNobodyId = 65534;
