// A lean log for long and noisy runs: the replies go to the log pane as in the dialog, and every
// wait is cut to a few milliseconds.
#pragma once

#include <algorithm>

#include "exchanges.h"
#include "pane.h"

struct FaultHost : ExchangeLog {
    struct ShortStop : ExchangeStop {
        explicit ShortStop(FaultHost& host) : host(host) {}
        void Sleep(uint32_t ms) override { ExchangeStop::Sleep(std::min(ms, host.sleepCapMs)); }
        FaultHost& host;
    };

    FaultHost() = default;
    FaultHost(const FaultHost&) = delete;
    FaultHost& operator=(const FaultHost&) = delete;

    void Log(std::string_view text) override {
        if (log != nullptr) AppendToPane(*log, text);
    }
    // Runs an exchange over the link and counts its serial errors.
    template <typename Exchange>
    ExchangeResult Run(Exchange exchange) {
        ExchangeResult result = exchange(ExchangeContext{link, stop, *this});
        if (result.outcome == ExchangeOutcome::kSerialError) ++errors;
        return result;
    }

    LinkSettings link;
    TextPane* log = nullptr;  // the log pane, as in the dialog
    uint32_t sleepCapMs = 2;
    int errors = 0;
    ShortStop stop{*this};
};

// A log pane for the lifetime of a test.
struct LogPaneScope {
    MemoryPane pane;
};
