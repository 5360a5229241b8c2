// Each exchange against the simulator at 115200 and 9600 baud: the time with fixed reply windows
// and with fast ones, against the physical limit (the line time of what is written and of the
// reply, ten bits a byte, plus the simulated module's own scan time). A pseudo-terminal spends no
// line time on a write, so the fixed time should match the waits alone. Then ten modules, each
// on its own pseudo-terminal, queried and configured in parallel against one alone, in-process
// and through qn7cfg's several ports.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"
#include "exchanges.h"
#include "presets.h"
#include "recording_host.h"
#include "sim_module.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kScanDelayMs = 2500;

double LineTimeMs(std::size_t bytes, uint32_t baud) {
    return bytes * 10.0 * 1000.0 / baud;
}

struct Case {
    const char* name;
    uint32_t waitsMs;   // the fixed windows the exchange sleeps at this rate
    uint32_t moduleMs;  // time the module itself takes before answering
    std::function<ExchangeResult(RecordingHost&)> run;
};

struct Measure {
    double ms = 0;
    std::size_t written = 0;
    std::size_t replied = 0;
    bool ok = false;
};

SimOptions ModuleAt(uint32_t baud) {
    SimOptions options;
    options.baud = baud;
    options.scanDelayMs = kScanDelayMs;
    options.transparentReturnMs = 100;
    return options;
}

// One run of an exchange against a fresh module.
Measure RunOnce(const Case& c, uint32_t baud, bool fast) {
    SimModule sim(ModuleAt(baud));
    Measure m;
    if (sim.Start() != 0) return m;
    RecordingHost host;
    host.link = {sim.SlavePath(), baud, fast};
    const auto start = Clock::now();
    m.ok = Replied(c.run(host));
    m.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    m.written = sim.Received().size();
    for (const std::string& line : host.logs) {
        if (line.starts_with(">:")) m.replied += line.size() - 4;  // less ">:" and CR LF
    }
    return m;
}

Measure MedianOfThree(const Case& c, uint32_t baud, bool fast) {
    std::vector<Measure> runs;
    for (int i = 0; i < 3; ++i) runs.push_back(RunOnce(c, baud, fast));
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
    return runs[1];
}

std::vector<Case> CasesAt(uint32_t baud) {
    const uint32_t searchAttempts = baud == 115200 ? 1 : 6;
    return {
        {"search", 100 * searchAttempts, 0,
         [](RecordingHost& h) { return SearchModule(h.Context()); }},
        {"query", 1000, 0, [](RecordingHost& h) { return QueryConfig(h.Context()); }},
        {"submit start-up", 500, 0,
         [](RecordingHost& h) { return SendScript(h.Context(), FirstPresetScript()); }},
        {"transparent", 500, 0,
         [](RecordingHost& h) { return SendScript(h.Context(), kTransparentCommand); }},
        {"factory reset", 500, 0,
         [](RecordingHost& h) { return SendScript(h.Context(), kFactoryResetCommand); }},
        {"scan", 46080000 / baud + 3600, kScanDelayMs,
         [](RecordingHost& h) { return ScanWifi(h.Context(), kWifiScanCommand); }},
    };
}

// The fast query and the start-up script on `count` modules at once, one thread each.
double ParallelMs(int count, bool* ok) {
    std::vector<std::unique_ptr<SimModule>> modules;
    for (int i = 0; i < count; ++i) {
        modules.push_back(std::make_unique<SimModule>(ModuleAt(115200)));
        if (modules.back()->Start() != 0) return *ok = false, 0;
    }
    std::vector<char> done(count, 0);
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    for (int i = 0; i < count; ++i) {
        workers.emplace_back([&, i] {
            RecordingHost host;
            host.link = {modules[i]->SlavePath(), 115200, true};
            done[i] = Replied(QueryConfig(host.Context())) &&
                      Replied(SendScript(host.Context(), FirstPresetScript()));
        });
    }
    for (std::thread& worker : workers) worker.join();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    *ok = std::all_of(done.begin(), done.end(), [](char d) { return d != 0; });
    return ms;
}

// qn7cfg --fast query on `count` modules, every port given with -p: its own parallel run.
double CliParallelMs(int count, bool* ok) {
    std::vector<std::unique_ptr<SimModule>> modules;
    std::vector<std::string> args = {"-q", "--fast"};
    for (int i = 0; i < count; ++i) {
        modules.push_back(std::make_unique<SimModule>(ModuleAt(115200)));
        if (modules.back()->Start() != 0) return *ok = false, 0;
        args.insert(args.end(), {"-p", modules.back()->SlavePath()});
    }
    args.push_back("query");
    const auto start = Clock::now();
    *ok = RunQn7cfg(args).status == 0;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

}  // namespace

int main() {
    int failures = 0;
    double fastRatio[3] = {};  // query, submit at 115200; search time
    std::printf("%-16s %7s %9s %9s %9s %9s %8s %8s\n", "exchange", "baud", "windows", "fixed",
                "fast", "limit", "fixed/l", "fast/l");
    for (uint32_t baud : {115200u, 9600u}) {
        for (const Case& c : CasesAt(baud)) {
            const Measure fixed = RunOnce(c, baud, false);
            const Measure fast = MedianOfThree(c, baud, true);
            const double limit = LineTimeMs(fast.written + fast.replied, baud) + c.moduleMs;
            std::printf("%-16s %7u %9u %9.1f %9.1f %9.1f %8.2f %8.2f%s\n", c.name, baud, c.waitsMs,
                        fixed.ms, fast.ms, limit, fixed.ms / limit, fast.ms / limit,
                        fixed.ok && fast.ok ? "" : "  (failed)");
            if (!fixed.ok || !fast.ok) ++failures;
            if (baud != 115200) continue;
            if (std::string(c.name) == "query") fastRatio[0] = fast.ms / limit;
            if (std::string(c.name) == "submit start-up") fastRatio[1] = fast.ms / limit;
            if (std::string(c.name) == "search") fastRatio[2] = fast.ms;
        }
    }
    std::printf(
        "(times in ms; windows: the fixed waits; limit: line time written + reply,"
        " plus the module's %u ms scan)\n\n",
        kScanDelayMs);

    bool oneOk = false, tenOk = false;
    const double one = ParallelMs(1, &oneOk);
    const double ten = ParallelMs(10, &tenOk);
    if (!oneOk || !tenOk) ++failures;
    std::printf(
        "fast query + start-up script at 115200: one module %.1f ms, ten in parallel "
        "%.1f ms (%.2fx)\n\n",
        one, ten, ten / one);

    bool cliOneOk = false, cliTenOk = false;
    const double cliOne = CliParallelMs(1, &cliOneOk);
    const double cliTen = CliParallelMs(10, &cliTenOk);
    if (!cliOneOk || !cliTenOk) ++failures;
    std::printf("qn7cfg --fast query at 115200: one port %.1f ms, ten ports %.1f ms (%.2fx)\n\n",
                cliOne, cliTen, cliTen / cliOne);

    std::printf("goal: query within 1.5x its limit       %.2fx  %s\n", fastRatio[0],
                Verdict(fastRatio[0] <= 1.5));
    std::printf("goal: search at 115200 within 20 ms     %.1f ms  %s\n", fastRatio[2],
                Verdict(fastRatio[2] <= 20));
    std::printf("goal: start-up script within 1.5x limit %.2fx  %s\n", fastRatio[1],
                Verdict(fastRatio[1] <= 1.5));
    std::printf("goal: ten modules within 1.2x one       %.2fx  %s (qn7cfg: %.2fx  %s)\n",
                ten / one, Verdict(ten / one <= 1.2), cliTen / cliOne,
                Verdict(cliTen / cliOne <= 1.2));
    return failures == 0 ? 0 : 1;
}
