// A lean ExchangeHost for long and noisy runs: the replies go to the log pane as in the dialog,
// errors are counted, and every wait is cut to a few milliseconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

#include "exchanges.h"
#include "pane.h"

struct FaultHost : ExchangeHost {
    LinkSettings Link() const override { return link; }
    void SetLinkBaud(uint32_t baud) override { link.baud = baud; }
    void Log(std::string_view text) override {
        if (log != nullptr) AppendToPane(*log, text);
    }
    void ShowError(int32_t, std::string_view) override { ++errors; }
    void Sleep(uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, sleepCapMs)));
    }

    LinkSettings link;
    TextPane* log = nullptr;  // the log pane, as in the dialog
    uint32_t sleepCapMs = 2;
    int errors = 0;
};

// A log pane for the lifetime of a test.
struct LogPaneScope {
    MemoryPane pane;
};
