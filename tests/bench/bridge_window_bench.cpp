// The Bridge window under a flood of numbered text lines from the module's side: a child process
// writes them into a pseudo-terminal at a set rate while the window, in this process, reads the
// other end. It measures the event loop's round trip (a task posted from another thread every
// 100 ms), the process's CPU and resident memory from /proc, the serial view's repaints a
// second, whether the counters equal the bytes written, how long after the flood's last write
// the view shows the last line, and how long the writer waited for room in the pseudo-terminal.
// Run by tools/bench_bridge_window.sh; not a test.
// Usage: qn7-bridge-window-bench BYTES_PER_SECOND SECONDS
//        qn7-bridge-window-bench --window PORT      (only the window on PORT, measured from
//        outside)
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
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge_window.h"
#include "flood_feed.h"
#include "traffic_view.h"

namespace {

using Clock = std::chrono::steady_clock;

// The child: waits for the go, feeds the flood and reports what it wrote.
[[noreturn]] void Feed(int master, int go, int report, double rate, double seconds) {
    char byte = 0;
    if (read(go, &byte, 1) != 1) _exit(2);
    const FloodFed fed = FeedFlood(master, rate, seconds);
    if (write(report, &fed, sizeof fed) != sizeof fed) _exit(4);
    _exit(0);
}

// The window alone on `port`, as the dialog opens it, until the process is ended: the program
// that tools/bench_bridge_window.sh measures from outside beside other serial terminals.
int OpenWindowOnly(int argc, char** argv, const char* port) {
    QApplication app(argc, argv);
    BridgeWindow window({port, 921600}, {}, nullptr);
    window.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--window") return OpenWindowOnly(argc, argv, argv[2]);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s BYTES_PER_SECOND SECONDS | --window PORT\n", argv[0]);
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
    FloodFed fed;
    double lastLineMs = -1;
    // Once the window holds the port and has settled: the baseline, then the go.
    QTimer::singleShot(1500, [&] {
        {
            std::lock_guard lock(mutex);
            trips.clear();
        }
        cpuStart = ProcessCpuSeconds(0);
        rssStart = rssPeak = ProcessRssKib(0);
        paintsStart = view->Paints();
        floodStart = Clock::now();
        if (write(go[1], "g", 1) != 1) app.exit(1);
    });
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { rssPeak = std::max(rssPeak, ProcessRssKib(0)); });
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
    const double cpu = ProcessCpuSeconds(0) - cpuStart;
    const uint64_t paints = view->Paints() - paintsStart;
    probing = false;
    prober.join();
    waitpid(child, nullptr, 0);
    const uint64_t counted = window.Shell().Received(BridgeSide::kSerial);
    std::lock_guard lock(mutex);
    std::printf(
        "%.1f MB/s x %.0f s: %llu bytes, counted %llu (%s); CPU %.1f %%; RSS %+.2f MiB (from "
        "%.1f MiB); loop p95 %.2f ms, max %.2f ms over %zu probes; %.1f updates/s; last line "
        "shown %.1f ms after the last write; feeder waited %.1f ms for room (longest %.1f ms)\n",
        rate / 1e6, seconds, static_cast<unsigned long long>(fed.bytes),
        static_cast<unsigned long long>(counted), counted == fed.bytes ? "equal" : "DIFFERENT",
        100.0 * cpu / wall, static_cast<double>(rssPeak - rssStart) / 1024.0, rssStart / 1024.0,
        Percentile(trips, 0.95), Percentile(trips, 1.0), trips.size(),
        static_cast<double>(paints) / wall, lastLineMs, static_cast<double>(fed.blockedNs) / 1e6,
        static_cast<double>(fed.longestBlockNs) / 1e6);
    return counted == fed.bytes && lastLineMs >= 0 ? 0 : 1;
}
