// Each exchange at 115200 baud against the simulator: the measured time over the prescribed
// time (its waits plus the line time of what it writes). The overhead should stay within 5 %.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "exchanges.h"
#include "query_texts.h"
#include "recording_host.h"
#include "sim_module.h"

namespace {

constexpr uint32_t kBaud = 115200;

double LineTimeMs(std::size_t bytes) {
    return bytes * 10.0 * 1000.0 / kBaud;
}

struct Case {
    const char* name;
    double prescribedMs;
    std::function<void(RecordingHost&)> run;
};

}  // namespace

int main() {
    SimOptions options;
    options.baud = kBaud;
    options.scanDelayMs = 2500;
    options.transparentReturnMs = 100;
    SimModule sim(options);
    if (sim.Start() != 0) return 1;
    const std::string script = "at+netmode=1\r\nat+dhcpc=1\r\nat+remoteip=192.168.11.245\r\n";
    const std::size_t queryBytes = kQueryLead.size() + QuerySpacer().size() + QueryBlock().size();
    const Case cases[] = {
        {"SearchModule", 100 + LineTimeMs(4), [](RecordingHost& h) { SearchModule(h); }},
        {"SendScript", 500 + LineTimeMs(script.size()),
         [&](RecordingHost& h) { SendScript(h, script); }},
        {"QueryConfig", 1000 + LineTimeMs(queryBytes),
         [](RecordingHost& h) {
             std::string reply;
             QueryConfig(h, &reply);
         }},
        {"ScanWifi", 46080000 / kBaud + 3600 + LineTimeMs(kWifiScanCommand.size()),
         [](RecordingHost& h) { ScanWifi(h, kWifiScanCommand); }},
    };
    std::printf("%-14s %12s %14s %9s\n", "exchange", "measured ms", "prescribed ms", "overhead");
    int over = 0;
    for (const Case& c : cases) {
        RecordingHost host;
        host.link = {sim.SlavePath(), kBaud};
        auto start = std::chrono::steady_clock::now();
        c.run(host);
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        double overhead = (took.count() / c.prescribedMs - 1.0) * 100.0;
        std::printf("%-14s %12.1f %14.1f %8.2f%%%s\n", c.name, took.count(), c.prescribedMs,
                    overhead, host.errors.empty() ? "" : "  (failed)");
        if (overhead > 5.0 || !host.errors.empty()) ++over;
    }
    return over == 0 ? 0 : 1;
}
