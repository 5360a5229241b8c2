// The module exchanges. Each write is followed by a reply window: by default a fixed wait with
// one non-blocking read after it, the module's whole window to answer; with fast windows, reads
// as the reply arrives until it is complete.
#include "exchanges.h"

#include <array>
#include <string>

#include "exchange_port.h"
#include "query_texts.h"
#include "reply_window.h"

namespace {

constexpr std::array<uint32_t, 9> kSearchRates = {115200, 115200, 57600, 38400, 19200,
                                                  9600,   4800,   2400,  1200};
constexpr std::string_view kSearchCommand = "at\r\n";
constexpr uint32_t kSearchWaitMs = 100;
constexpr uint32_t kSendWaitMs = 500;
constexpr uint32_t kQueryWaitMs = 1000;
constexpr uint32_t kReplyBufferSize = 2048;

// Write one text, read its reply window, log what came: the shape of the scan and the submit.
ExchangeResult WriteWaitRead(const ExchangeContext& context, std::string_view text,
                             const ReplyWindow& window, uint32_t limit) {
    ExchangePort port(context);
    if (!port.Open() || !port.Configure(context.link.baud)) return port.Ended();
    context.log.ExpectWait(window.waitMs);
    if (!port.Write(text)) return port.Ended();
    std::string reply(limit + 1, '\0');
    uint32_t length = 0;
    if (!ReadReplyWindow(context, port, window, reply.data(), limit, &length) || length == 0)
        return port.Ended();
    return TakeReply(context, reply);
}

}  // namespace

ExchangeResult SearchModule(const ExchangeContext& context) {
    ExchangePort port(context);
    if (!port.Open()) return port.Ended();
    context.log.ExpectWait(kSearchWaitMs * kSearchRates.size());
    ExchangeResult result;
    for (uint32_t rate : kSearchRates) {
        if (!port.Configure(rate) || !port.Write(kSearchCommand)) return port.Ended();
        char reply[65] = {};
        uint32_t length = 0;
        const ReplyWindow window{kSearchWaitMs, 300, CommandEnd(kSearchCommand, rate)};
        if (!ReadReplyWindow(context, port, window, reply, 64, &length)) return port.Ended();
        if (length == 0) continue;
        result = TakeReply(context, reply);
        if (result.outcome == ExchangeOutcome::kReplied) {
            result.foundBaud = rate;
            context.log.Log("(:Found Device at " + context.link.port + "(" + std::to_string(rate) +
                            ")!\r\n");
        }
        if (result.outcome != ExchangeOutcome::kNoReply) return result;
    }
    return result;
}

ExchangeResult ScanWifi(const ExchangeContext& context, std::string_view command) {
    uint32_t baud = context.link.baud;
    // A zero rate never gets past the line setting; it must not divide here either.
    uint32_t waitMs = baud ? 46080000 / baud + 3600 : 0;
    return WriteWaitRead(context, command, {waitMs, 4095, ScanEnd(command)}, 4096);
}

ExchangeResult SendScript(const ExchangeContext& context, std::string_view script) {
    return WriteWaitRead(context, script, {kSendWaitMs, 300, CommandEnd(script, context.link.baud)},
                         1024);
}

ExchangeResult QueryConfig(const ExchangeContext& context) {
    uint32_t baud = context.link.baud;
    if (baud < kSlowQueryBelowBaud) return QueryConfigSlow(context);
    ExchangePort port(context);
    if (!port.Open() || !port.Configure(baud)) return port.Ended();
    context.log.ExpectWait(kQueryWaitMs);
    // Only the block's write decides: the lead lines and the spacer merely wake the module up.
    port.WriteUnchecked(kQueryLead);
    port.WriteUnchecked(QuerySpacer());
    if (!port.Write(QueryBlock())) return port.Ended();
    const std::string asked = std::string(kQueryLead) + QueryBlock();
    std::string buffer(kReplyBufferSize, '\0');
    uint32_t length = 0;
    const ReplyWindow window{kQueryWaitMs, 1024, AnswerEnd(asked, baud)};
    if (!ReadReplyWindow(context, port, window, buffer.data(), kReplyBufferSize - 1, &length) ||
        length == 0)
        return port.Ended();
    return TakeReply(context, buffer);
}

ExchangeResult QueryConfigSlow(const ExchangeContext& context) {
    ExchangePort port(context);
    uint32_t baud = context.link.baud;
    if (!port.Open() || !port.Configure(baud)) return port.Ended();
    // The line time of 180 characters: the chunk's echo and its answers.
    uint32_t chunkWaitMs = 1800000 / baud;
    auto chunks = QueryChunks();
    context.log.ExpectWait(chunkWaitMs * static_cast<uint32_t>(chunks.size()));
    std::string buffer(kReplyBufferSize, '\0');
    uint32_t length = 0;
    for (const std::string& chunk : chunks) {
        if (!port.Write(chunk)) return port.Ended();
        const ReplyWindow window{chunkWaitMs, 1024, AnswerEnd(chunk, baud)};
        if (!ReadReplyWindow(context, port, window, buffer.data(), kReplyBufferSize - 1 - length,
                             &length))
            return port.Ended();
    }
    if (length == 0) return port.Ended();
    return TakeReply(context, buffer);
}
