// What the exchanges of one port run with on a terminal: its link, log lines as standard-error
// text, and waits that a Stop (from an interrupt) ends.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

#include "exchange_stop.h"
#include "exchanges.h"

class TerminalHost final : public ExchangeLog {
  public:
    TerminalHost(LinkSettings link, bool quiet, std::ostream& err)
        : link_(std::move(link)), quiet_(quiet), err_(err) {}

    const LinkSettings& Link() const { return link_; }
    // The rate a search found, for the exchanges after it.
    void SetLinkBaud(uint32_t baud) { link_.baud = baud; }
    ExchangeContext Context() { return {link_, stop_, *this}; }
    void Log(std::string_view text) override {
        if (!quiet_) err_ << text << std::flush;
    }
    // Any thread: ends the running exchange's wait or transfer, and the exchanges after it.
    void Stop() { stop_.Stop(); }
    bool Stopped() const { return stop_.Stopped(); }

  private:
    LinkSettings link_;
    bool quiet_;
    std::ostream& err_;
    ExchangeStop stop_;
};
