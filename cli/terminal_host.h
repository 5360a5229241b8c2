// The exchanges' host on a terminal: log lines and error boxes become standard-error text,
// waits are real sleeps, and the outcome is kept for the exit status.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "exchanges.h"

class TerminalHost final : public ExchangeHost {
  public:
    TerminalHost(LinkSettings link, bool quiet, std::ostream& err);

    LinkSettings Link() const override { return link_; }
    void SetLinkBaud(uint32_t baud) override { link_.baud = baud; }
    void Log(std::string_view text) override;
    void ShowError(int32_t code, std::string_view text) override;
    void Sleep(uint32_t ms) override;

    // Exit status for an exchange that found no module: a serial error, a refused port, or
    // silence.
    int FailureStatus() const;

  private:
    LinkSettings link_;
    bool quiet_;
    std::ostream& err_;
    std::optional<int32_t> errorCode_;
};
