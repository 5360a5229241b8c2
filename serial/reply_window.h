// The reply window after an exchange's writes. A fixed window waits its whole time and reads
// once. A fast window (LinkSettings::fast) reads as bytes arrive and ends as soon as the reply
// is complete, never later than the fixed window unless the reply is still arriving then; the
// bytes it takes and logs are those the fixed window would take of a complete reply.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "exchange_port.h"

// How a fast window knows the reply is complete.
struct ReplyEnd {
    // What the reply must hold: every line echoed, every key answered, a first byte.
    std::function<bool(std::string_view reply)> holdsAll;
    // A pause in the reply of at least this long means the module has stopped sending.
    uint32_t gapMs = 0;
    // Whether the line must also be quiet for the gap once holdsAll is met (an echo has no
    // end mark of its own; a query answer ends with its CR).
    bool quietAfter = true;
};

struct ReplyWindow {
    uint32_t waitMs;         // the fixed window
    uint32_t readTimeoutMs;  // bounds a read the driver leaves pending
    ReplyEnd end;
};

// Every line of `written` (up to its first NUL) echoed, in order, an answer line after the
// echo of the last one, then a quiet gap. An echo alone is no evidence: the answer may follow
// it late.
ReplyEnd CommandEnd(std::string_view written, uint32_t baud);
// An answer for every query line of `written`, in order, in the reply shape of a query.
ReplyEnd AnswerEnd(std::string_view written, uint32_t baud);
// The scan command's echo and the first line of its list, then a pause of 300 ms: the list
// comes in one stretch.
ReplyEnd ScanEnd(std::string_view command);

// The shortest pause that ends a reply at `baud`: 20 ms or ten character times.
uint32_t ReplyGapMs(uint32_t baud);
bool EchoedEveryLine(std::string_view written, std::string_view reply);
// Every line echoed in order, and an answer line after the last echo. False for a text that
// holds no line: nothing can show that its reply is complete.
bool AnsweredLastLine(std::string_view written, std::string_view reply);
// A query line "at+KEY=?" is answered by "at+KEY=?\r\r\n", the value and a CR.
bool AnsweredEveryQuery(std::string_view written, std::string_view reply);

// Reads the reply into `buffer` after `*length`, at most `limit` bytes, growing `*length`.
// False when the exchange was stopped or a read failed (the port keeps the failure).
bool ReadReplyWindow(const ExchangeContext& context, ExchangePort& port, const ReplyWindow& window,
                     char* buffer, uint32_t limit, uint32_t* length);
