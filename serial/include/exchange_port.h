// The frame every exchange shares: open, no handshake, line set, purged; the first failing step
// is kept for the result, and the port closes when the frame is destroyed. Every write is
// bounded by its line time, and the stop may cut any transfer short. Exported for the bridge
// check, which holds the port this way while data goes through the module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "exchanges.h"
#include "serial_port.h"

class ExchangePort {
  public:
    explicit ExchangePort(const ExchangeContext& context) : context_(context) {
        context_.stop.Hold(&serial_);
    }
    ~ExchangePort() { context_.stop.Hold(nullptr); }
    ExchangePort(const ExchangePort&) = delete;
    ExchangePort& operator=(const ExchangePort&) = delete;

    bool Open();
    // Sets the line to `baud`, 8N1, and empties both queues.
    bool Configure(uint32_t baud);
    bool Write(std::string_view text);
    // A write whose outcome does not decide the exchange.
    void WriteUnchecked(std::string_view text);
    // Data, NUL bytes included, bounded by its line time as a text is.
    bool WriteBytes(std::string_view bytes);
    // One read of what has arrived, at most `limit` bytes, after `buffer` + `*length`;
    // `*length` grows by the count.
    bool Read(char* buffer, uint32_t limit, uint32_t timeoutMs, uint32_t* length);
    // Waits at most `timeoutMs` for input (or a hang-up, which the next read reports). False
    // when the port cannot wait for input, so the caller has to pace itself.
    bool AwaitInput(uint32_t timeoutMs);

    // The result of an exchange that ends early: stopped, or the step that failed.
    ExchangeResult Ended() const;

  private:
    int32_t Send(std::string_view text);
    bool Check(int32_t result, std::string_view message);

    const ExchangeContext& context_;
    CSerial serial_;
    uint32_t baud_ = 0;  // the rate the line was last set to
    std::optional<SerialFailure> failure_;
};

// How long a write of `bytes` at `baud` may take before the line counts as stuck (nobody reads
// it, flow control holds it): twice its line time at ten bits a byte, plus a second.
uint32_t WriteTimeLimitMs(std::size_t bytes, uint32_t baud);

// Logs a reply (text up to its first NUL) and judges it: replied when it holds "at". A stop
// that came meanwhile wins.
ExchangeResult TakeReply(const ExchangeContext& context, std::string_view reply);
