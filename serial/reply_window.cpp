#include "reply_window.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "at_line.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr uint32_t kMinGapMs = 20;
constexpr uint32_t kScanGapMs = 300;
// How often a fast window looks at the cancel flag while the line is silent.
constexpr Ms kCancelPoll{10};

// Calls `take` with each non-empty line of the text a port sends of `written`, in order, until
// it returns false.
template <typename Take>
bool EachLine(std::string_view written, Take take) {
    return ForEachScriptLine(UpToNul(written),
                             [&](std::string_view line) { return line.empty() || take(line); });
}

// Where the echoes of the lines of `written` end in `reply`, each found after the one before:
// 0 for a text without lines, nothing when a line is not echoed.
std::optional<std::size_t> EndOfEchoes(std::string_view written, std::string_view reply) {
    std::size_t from = 0;
    const bool echoed = EachLine(written, [&](std::string_view line) {
        const std::size_t at = reply.find(line, from);
        if (at == std::string_view::npos) return false;
        from = at + line.size();
        return true;
    });
    return echoed ? std::optional(from) : std::nullopt;
}

bool HoldsALine(std::string_view written) {
    return !EachLine(written, [](std::string_view) { return false; });
}

bool ReadFast(const ExchangeContext& context, ExchangePort& port, const ReplyWindow& window,
              char* buffer, uint32_t limit, uint32_t* length) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point fixedEnd = start + Ms(window.waitMs);
    const Clock::time_point latestEnd = start + 2 * Ms(window.waitMs);
    const Ms gap(window.end.gapMs);
    const uint32_t first = *length;
    Clock::time_point lastByte = start;
    for (;;) {
        if (context.stop.Stopped()) return false;
        const uint32_t before = *length;
        if (!port.Read(buffer, limit - (before - first), window.readTimeoutMs, length))
            return false;
        const Clock::time_point now = Clock::now();
        if (*length > before) lastByte = now;
        const uint32_t got = *length - first;
        if (got >= limit) return true;  // nothing more could be taken in
        const bool quiet = now - lastByte >= gap;
        if ((quiet || !window.end.quietAfter) && window.end.holdsAll({buffer + first, got}))
            return true;
        // Past the fixed window, only a reply still arriving is waited for, and not for long.
        if (now >= fixedEnd && (quiet || now >= latestEnd)) return true;
        Clock::time_point wake = std::min(now + kCancelPoll, now < fixedEnd ? fixedEnd : latestEnd);
        if (!quiet) wake = std::min(wake, lastByte + gap);
        const auto waitMs = std::chrono::ceil<Ms>(wake - now).count();
        if (!port.AwaitInput(static_cast<uint32_t>(std::max<decltype(waitMs)>(waitMs, 1))))
            context.stop.Sleep(static_cast<uint32_t>(kCancelPoll.count()));
    }
}

}  // namespace

uint32_t ReplyGapMs(uint32_t baud) {
    // Ten characters of ten bits: 100000 / baud ms, rounded up.
    const uint32_t tenCharacters = baud ? (100000 + baud - 1) / baud : kMinGapMs;
    return std::max(kMinGapMs, tenCharacters);
}

bool EchoedEveryLine(std::string_view written, std::string_view reply) {
    return EndOfEchoes(written, reply).has_value();
}

bool AnsweredLastLine(std::string_view written, std::string_view reply) {
    const std::optional<std::size_t> echoEnd = EndOfEchoes(written, reply);
    return echoEnd && HoldsALine(written) && AtAnswerAfterEcho(reply, *echoEnd);
}

bool AnsweredEveryQuery(std::string_view written, std::string_view reply) {
    std::size_t from = 0;
    return EachLine(written, [&](std::string_view line) {
        if (!IsAtQueryLine(line)) return true;  // the spacer: not a question
        from = AtAnswerEnd(reply, line, from);
        return from != std::string_view::npos;
    });
}

ReplyEnd CommandEnd(std::string_view written, uint32_t baud) {
    return {[text = std::string(written)](std::string_view reply) {
                return AnsweredLastLine(text, reply);
            },
            ReplyGapMs(baud), true};
}

ReplyEnd AnswerEnd(std::string_view written, uint32_t baud) {
    return {[text = std::string(written)](std::string_view reply) {
                return AnsweredEveryQuery(text, reply);
            },
            ReplyGapMs(baud), false};
}

ReplyEnd ScanEnd(std::string_view command) {
    return {[text = std::string(command)](std::string_view reply) {
                return AnsweredLastLine(text, reply);
            },
            kScanGapMs, true};
}

bool ReadReplyWindow(const ExchangeContext& context, ExchangePort& port, const ReplyWindow& window,
                     char* buffer, uint32_t limit, uint32_t* length) {
    if (context.link.fast) return ReadFast(context, port, window, buffer, limit, length);
    context.stop.Sleep(window.waitMs);
    if (context.stop.Stopped()) return false;
    return port.Read(buffer, limit, window.readTimeoutMs, length);
}
