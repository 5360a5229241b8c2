// What an exchange runs with in tests and the benchmark: a link, a log that records its lines
// and progress, and a stop that records its waits and may shorten them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "exchanges.h"

struct RecordingHost : ExchangeLog {
    // Waits at most sleepCapMs for real, so long waits can be checked without taking them.
    struct RecordingStop : ExchangeStop {
        explicit RecordingStop(RecordingHost& host) : host(host) {}
        void Sleep(uint32_t ms) override {
            host.sleeps.push_back(ms);
            ExchangeStop::Sleep(std::min(ms, host.sleepCapMs));
        }
        RecordingHost& host;
    };

    RecordingHost() = default;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    void Log(std::string_view text) override { logs.emplace_back(text); }
    void ExpectWait(uint32_t totalMs) override { expectedWaits.push_back(totalMs); }
    ExchangeContext Context() { return {link, stop, *this}; }

    LinkSettings link;
    uint32_t sleepCapMs = UINT32_MAX;
    std::vector<std::string> logs;
    std::vector<uint32_t> sleeps;
    std::vector<uint32_t> expectedWaits;
    RecordingStop stop{*this};
};

inline bool Replied(const ExchangeResult& result) {
    return result.outcome == ExchangeOutcome::kReplied;
}
