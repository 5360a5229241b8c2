// The exchanges' host on a terminal: log lines and error boxes become standard-error text,
// waits are real sleeps that a Stop (from an interrupt) ends, and the outcome is kept for the
// exit status.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "exchange_stop.h"
#include "exchanges.h"

class TerminalHost final : public ExchangeHost {
  public:
    TerminalHost(LinkSettings link, bool quiet, std::ostream& err);

    LinkSettings Link() const override { return link_; }
    void SetLinkBaud(uint32_t baud) override { link_.baud = baud; }
    void Log(std::string_view text) override;
    void ShowError(int32_t code, std::string_view text) override;
    void Sleep(uint32_t ms) override { stop_.Sleep(ms); }
    bool Cancelled() const override { return stop_.Stopped(); }
    void HoldPort(CSerial* port) override { stop_.Hold(port); }
    // Any thread: ends the running exchange's wait or transfer, and the exchanges after it.
    void Stop() { stop_.Stop(); }

    // Exit status for an exchange that found no module: a serial error, a refused port, or
    // silence.
    int FailureStatus() const;

  private:
    LinkSettings link_;
    bool quiet_;
    std::ostream& err_;
    std::optional<int32_t> errorCode_;
    ExchangeStop stop_;
};
