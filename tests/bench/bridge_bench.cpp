// The bridge check through the simulated module, whose serial side runs at the line rate both
// ways, against the physical limits: the throughput of each way at 115200 and 921600 baud
// against baud/10 bytes a second, the round trip of a 16-byte probe against its line time both
// ways plus the packing timeout, and qn7cfg bridge on ten modules at once against one.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bridge_check.h"
#include "cli_run.h"
#include "loopback_socket.h"
#include "sim_module.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kGuardMs = 100;

class NoLog : public ExchangeLog {
  public:
    void Log(std::string_view) override {}
};

SimOptions ModuleAt(uint32_t baud) {
    SimOptions options;
    options.baud = baud;
    options.escapeGuardMs = kGuardMs;
    return options;
}

// A module at `baud` serving TCP on a free port of 127.0.0.1.
std::unique_ptr<SimModule> StartModule(uint32_t baud, ExchangeStop& stop, ExchangeLog& log) {
    auto sim = std::make_unique<SimModule>(ModuleAt(baud));
    if (sim->Start() != 0) return nullptr;
    const ExchangeContext context{{sim->SlavePath(), baud, true}, stop, log};
    const std::string script =
        "at+remoteport=" + std::to_string(LoopbackSocket::FreePort()) + "\r\n";
    if (SendScript(context, script).outcome != ExchangeOutcome::kReplied) return nullptr;
    return sim;
}

BridgeReport Check(uint32_t baud, std::size_t bytes, uint32_t probes) {
    ExchangeStop stop;
    NoLog log;
    auto sim = StartModule(baud, stop, log);
    if (!sim) return {};
    BridgeRequest request;
    request.bytes = bytes;
    request.probes = probes;
    request.escapeGuardMs = kGuardMs + 50;
    return RunBridgeCheck({{sim->SlavePath(), baud, true}, stop, log}, request);
}

// qn7cfg bridge on `count` modules at once, every port given with -p: the whole run in ms.
double CliMs(int count, bool* ok) {
    ExchangeStop stop;
    NoLog log;
    std::vector<std::unique_ptr<SimModule>> modules;
    std::vector<std::string> args = {"-q", "--fast"};
    for (int i = 0; i < count; ++i) {
        modules.push_back(StartModule(115200, stop, log));
        if (!modules.back()) return *ok = false, 0;
        args.insert(args.end(), {"-p", modules.back()->SlavePath()});
    }
    args.insert(args.end(), {"bridge", "--guard", std::to_string(kGuardMs + 50)});
    const auto start = Clock::now();
    const CliRun run = RunQn7cfg(args);
    *ok = run.status == 0;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
    int failures = 0;
    std::printf("Throughput through the simulated module, serial side at the line rate\n");
    std::printf("%-8s %-11s %10s %12s %12s %8s\n", "baud", "way", "bytes", "bytes/s", "limit",
                "of limit");
    for (uint32_t baud : {115200u, 921600u}) {
        // Ten seconds of line time each way.
        const std::size_t bytes = static_cast<std::size_t>(baud);
        const BridgeReport report = Check(baud, bytes, 0);
        if (report.outcome != BridgeOutcome::kIntact) ++failures;
        const double limit = baud / 10.0;
        for (auto [name, way] : {std::pair{"to network", &report.toNetwork},
                                 std::pair{"to serial", &report.toSerial}}) {
            std::printf("%-8u %-11s %10llu %12.0f %12.0f %7.1f%%%s\n", baud, name,
                        static_cast<unsigned long long>(way->intact), way->bytesPerSecond, limit,
                        100.0 * way->bytesPerSecond / limit,
                        way->bytesPerSecond >= 0.95 * limit ? "" : "  below 95 %");
        }
    }

    std::printf("\nRound trip of a 16-byte probe (200 probes)\n");
    std::printf("%-8s %9s %9s %9s %12s %12s\n", "baud", "p50 ms", "p99 ms", "max ms", "limit ms",
                "limit+2 ms");
    for (uint32_t baud : {115200u, 921600u}) {
        const BridgeReport report = Check(baud, 1024, 200);
        if (report.outcome != BridgeOutcome::kIntact) ++failures;
        const LatencyReport& latency = report.latency;
        std::printf("%-8u %9.2f %9.2f %9.2f %12.2f %12.2f%s\n", baud, latency.p50Ms, latency.p99Ms,
                    latency.maxMs, latency.limitMs, latency.limitMs + 2,
                    latency.p50Ms <= latency.limitMs + 2 ? "" : "  p50 above the goal");
    }

    bool oneOk = false;
    bool tenOk = false;
    const double one = CliMs(1, &oneOk);
    const double ten = CliMs(10, &tenOk);
    if (!oneOk || !tenOk) ++failures;
    std::printf(
        "\nqn7cfg bridge (64 KiB each way at 115200): one module %.0f ms, ten in parallel "
        "%.0f ms (%.2fx; goal at most 1.3x)\n",
        one, ten, ten / one);
    if (failures) std::printf("%d runs did not end intact\n", failures);
    return failures == 0 ? 0 : 1;
}
