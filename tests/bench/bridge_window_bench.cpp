// The Bridge window under a flood of numbered text lines from the module's side: a child process
// writes them into a pseudo-terminal at a set rate while the window reads the other end. It
// measures the event loop's round trip (a task posted from another thread every 100 ms), the
// process's CPU and resident memory from /proc, the serial view's repaints a second, whether
// the counters equal the bytes written, and how long after the flood's last write the view shows
// the last line. Run by tools/bench_bridge_window.sh; not a test.
// Usage: qn7-bridge-window-bench BYTES_PER_SECOND SECONDS
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bridge_window.h"
#include "traffic_view.h"

namespace {

using Clock = std::chrono::steady_clock;

struct FeedEnd {
    uint64_t bytes = 0;
    int64_t lastWriteNs = 0;  // steady clock, shared by parent and child on Linux
    int lastLine = 0;
};

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

// The child: waits for the go, writes `rate` bytes a second for `seconds` in 10 ms slices of
// whole lines, and reports what it wrote.
[[noreturn]] void Feed(int master, int go, int report, double rate, double seconds) {
    char byte = 0;
    if (read(go, &byte, 1) != 1) _exit(2);
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    FeedEnd result;
    std::string pending;
    int number = 0;
    for (auto slice = start; slice < end; slice += std::chrono::milliseconds(10)) {
        std::this_thread::sleep_until(slice);
        const double due = std::chrono::duration<double>(slice - start).count() * rate + rate / 100;
        while (static_cast<double>(result.bytes + pending.size()) < due)
            pending += FloodLine(++number);
        for (std::size_t at = 0; at < pending.size();) {
            const ssize_t n = write(master, pending.data() + at, pending.size() - at);
            if (n <= 0) _exit(3);
            at += static_cast<std::size_t>(n);
        }
        result.bytes += pending.size();
        pending.clear();
    }
    result.lastWriteNs = NowNs();
    result.lastLine = number;
    if (write(report, &result, sizeof result) != sizeof result) _exit(4);
    _exit(0);
}

// utime + stime of this process, in seconds.
double CpuSeconds() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long RssKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t at = static_cast<std::size_t>(fraction * static_cast<double>(values.size()));
    return values[std::min(at, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s BYTES_PER_SECOND SECONDS\n", argv[0]);
        return 2;
    }
    const double rate = std::atof(argv[1]);
    const double seconds = std::atof(argv[2]);
    int master = -1, slave = -1;
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
    int go[2], report[2];
    if (pipe(go) != 0 || pipe(report) != 0) return 1;
    const pid_t child = fork();
    if (child == 0) Feed(master, go[0], report[1], rate, seconds);
    close(slave);

    QApplication app(argc, argv);
    BridgeWindow window({name, 921600}, {}, nullptr);
    // Quitting closes the windows: this one lives on the stack, and is read after.
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    const TrafficView* view = window.Side(BridgeSide::kSerial).view;

    // The event loop's round trip, from another thread.
    std::mutex mutex;
    std::vector<double> trips;
    std::atomic<bool> probing{true};
    QObject context;
    std::thread prober([&] {
        while (probing) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const auto sent = Clock::now();
            QMetaObject::invokeMethod(
                &context,
                [&, sent] {
                    std::lock_guard lock(mutex);
                    trips.push_back(
                        std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                },
                Qt::QueuedConnection);
        }
    });

    double cpuStart = 0;
    long rssStart = 0, rssPeak = 0;
    uint64_t paintsStart = 0;
    Clock::time_point floodStart;
    FeedEnd fed;
    double lastLineMs = -1;
    // Once the window holds the port and has settled: the baseline, then the go.
    QTimer::singleShot(1500, [&] {
        {
            std::lock_guard lock(mutex);
            trips.clear();
        }
        cpuStart = CpuSeconds();
        rssStart = rssPeak = RssKib();
        paintsStart = view->Paints();
        floodStart = Clock::now();
        if (write(go[1], "g", 1) != 1) app.exit(1);
    });
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { rssPeak = std::max(rssPeak, RssKib()); });
    sampler.start(200);
    // The child's report once it has written everything.
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (fed.lastLine == 0) {
            pollfd ready{report[0], POLLIN, 0};
            if (poll(&ready, 1, 0) != 1) return;
            if (read(report[0], &fed, sizeof fed) != sizeof fed) app.exit(1);
        }
        char last[32];
        std::snprintf(last, sizeof last, "< line %08d of", fed.lastLine);
        for (const QString& row : view->VisibleRows()) {
            if (row.contains(QLatin1String(last))) {
                lastLineMs = static_cast<double>(NowNs() - fed.lastWriteNs) / 1e6;
                app.quit();
                return;
            }
        }
        if (static_cast<double>(NowNs() - fed.lastWriteNs) > 5e9) app.quit();
    });
    watcher.start(1);
    app.exec();

    const double wall = std::chrono::duration<double>(Clock::now() - floodStart).count();
    const double cpu = CpuSeconds() - cpuStart;
    const uint64_t paints = view->Paints() - paintsStart;
    probing = false;
    prober.join();
    waitpid(child, nullptr, 0);
    const uint64_t counted = window.Shell().Received(BridgeSide::kSerial);
    std::lock_guard lock(mutex);
    std::printf(
        "%.1f MB/s x %.0f s: %llu bytes, counted %llu (%s); CPU %.1f %%; RSS %+.2f MiB (from "
        "%.1f MiB); loop p95 %.2f ms, max %.2f ms over %zu probes; %.1f updates/s; last line "
        "shown %.1f ms after the last write\n",
        rate / 1e6, seconds, static_cast<unsigned long long>(fed.bytes),
        static_cast<unsigned long long>(counted), counted == fed.bytes ? "equal" : "DIFFERENT",
        100.0 * cpu / wall, static_cast<double>(rssPeak - rssStart) / 1024.0, rssStart / 1024.0,
        Percentile(trips, 0.95), Percentile(trips, 1.0), trips.size(),
        static_cast<double>(paints) / wall, lastLineMs);
    return counted == fed.bytes && lastLineMs >= 0 ? 0 : 1;
}
