#include "flood_feed.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::string ProcPath(pid_t pid, const char* file) {
    return pid == 0 ? std::string("/proc/self/") + file
                    : "/proc/" + std::to_string(pid) + "/" + file;
}

// Drops what the reader sent back, so that an echo never fills the other way.
void DrainEcho(int master) {
    char sink[4096];
    while (read(master, sink, sizeof sink) > 0) {
    }
}

}  // namespace

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

std::string FloodLine(int number) {
    char line[80];
    std::snprintf(line, sizeof line, "line %08d of the flood from the module's UART ........\r\n",
                  number);
    return line;
}

FloodFed FeedFlood(int master, double rate, double seconds) {
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    FloodFed fed;
    std::string pending;
    int number = 0;
    for (auto slice = start; slice < end; slice += std::chrono::milliseconds(10)) {
        std::this_thread::sleep_until(slice);
        const double due = std::chrono::duration<double>(slice - start).count() * rate + rate / 100;
        while (static_cast<double>(fed.bytes + pending.size()) < due)
            pending += FloodLine(++number);
        for (std::size_t at = 0; at < pending.size();) {
            const ssize_t n = write(master, pending.data() + at, pending.size() - at);
            if (n > 0) {
                at += static_cast<std::size_t>(n);
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                fed.readerGone = true;  // EIO: no one holds the other end any more
                break;
            }
            // The queue towards the reader is full: wait for room, and count the wait.
            const int64_t waitStart = NowNs();
            pollfd room{master, POLLOUT | POLLIN, 0};
            poll(&room, 1, 1000);
            if (room.revents & POLLIN) DrainEcho(master);
            const int64_t waited = NowNs() - waitStart;
            fed.blockedNs += waited;
            fed.longestBlockNs = std::max(fed.longestBlockNs, waited);
        }
        if (fed.readerGone) break;
        DrainEcho(master);
        fed.bytes += pending.size();
        pending.clear();
    }
    fed.lastWriteNs = NowNs();
    fed.lastLine = number;
    return fed;
}

double ProcessCpuSeconds(pid_t pid) {
    std::ifstream stat(ProcPath(pid, "stat"));
    const std::string text((std::istreambuf_iterator<char>(stat)), {});
    const std::size_t name = text.rfind(')');
    if (name == std::string::npos) return -1;
    std::istringstream fields(text.substr(name + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields 3 (state) on: 14 is utime, 15 stime, in clock ticks.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long ProcessRssKib(pid_t pid) {
    std::ifstream status(ProcPath(pid, "status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t at = static_cast<std::size_t>(fraction * static_cast<double>(values.size()));
    return values[std::min(at, values.size() - 1)];
}
