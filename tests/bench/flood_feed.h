// The module's side of a flood: numbered text lines written into a pseudo-terminal's master at a
// set rate, and what the /proc readings of a process under it come to. Shared by the benchmarks
// of the Bridge window; not a test.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// What a feed wrote, and how long the pseudo-terminal kept it waiting.
struct FloodFed {
    uint64_t bytes = 0;
    int64_t lastWriteNs = 0;  // steady clock (NowNs), the same in every process on Linux
    int lastLine = 0;
    // Time spent waiting for room in the pseudo-terminal (its queue towards the reader full):
    // all of it, and the longest single wait. Zero when the reader kept up.
    int64_t blockedNs = 0;
    int64_t longestBlockNs = 0;
    bool readerGone = false;  // the other end was closed before the flood's end
};

int64_t NowNs();

// Line `number` of the flood, 60 bytes ending in CR LF.
std::string FloodLine(int number);

// Writes `rate` bytes a second for `seconds` into `master`, in 10 ms slices of whole lines (the
// lines due by the end of each slice, written at its start). The master is switched to
// non-blocking so that a full queue is seen and timed rather than slept in; anything the reader
// sends back is read and dropped.
FloodFed FeedFlood(int master, double rate, double seconds);

// utime + stime of process `pid` (0: this one), in seconds; -1 once it is gone.
double ProcessCpuSeconds(pid_t pid);
// Resident memory of process `pid` (0: this one), in KiB; -1 once it is gone.
long ProcessRssKib(pid_t pid);

// The value below which `fraction` of `values` lie (1.0: the largest); 0 for none.
double Percentile(std::vector<double> values, double fraction);
