// An ExchangeHost that records what an exchange shows and waits for, for tests and the benchmark.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "exchanges.h"

struct RecordingHost : ExchangeHost {
    struct Error {
        int32_t code;
        std::string text;
    };

    LinkSettings Link() const override { return link; }
    void SetLinkBaud(uint32_t baud) override { link.baud = baud; }
    void Log(std::string_view text) override { logs.emplace_back(text); }
    void ShowError(int32_t code, std::string_view text) override {
        errors.push_back({code, std::string(text)});
        if (onError) onError();
    }
    // Waits at most sleepCapMs for real, so long waits can be checked without taking them.
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, sleepCapMs)));
    }
    void ExpectWait(uint32_t totalMs) override { expectedWaits.push_back(totalMs); }
    bool Cancelled() const override { return cancelled; }

    LinkSettings link;
    uint32_t sleepCapMs = UINT32_MAX;
    std::vector<std::string> logs;
    std::vector<Error> errors;
    std::vector<uint32_t> sleeps;
    std::vector<uint32_t> expectedWaits;
    std::function<void()> onError;
    std::atomic<bool> cancelled{false};
};
