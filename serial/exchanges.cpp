// The module exchanges. Each write is followed by a reply window: by default a fixed wait with
// one non-blocking read after it, the module's whole window to answer; with fast windows, reads
// as the reply arrives until it is complete.
#include "exchanges.h"

#include <array>
#include <string>

#include "at_line.h"
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
// `replyOut` (may be null) gets the text read when at least one byte arrived.
bool WriteWaitRead(ExchangeHost& host, std::string_view text, const ReplyWindow& window,
                   uint32_t limit, std::string* replyOut) {
    ExchangePort port(host);
    if (!port.Open() || !port.Configure(host.Link().baud)) return false;
    host.ExpectWait(window.waitMs);
    if (!port.Write(text)) return false;
    std::string reply(limit + 1, '\0');
    uint32_t length = 0;
    if (!ReadReplyWindow(host, port, window, reply.data(), limit, &length)) return false;
    if (length == 0) return false;
    if (replyOut != nullptr) *replyOut = UpToNul(reply);
    return TakeReply(host, reply);
}

}  // namespace

bool SearchModule(ExchangeHost& host) {
    ExchangePort port(host);
    if (!port.Open()) return false;
    host.ExpectWait(kSearchWaitMs * kSearchRates.size());
    for (uint32_t rate : kSearchRates) {
        if (!port.Configure(rate) || !port.Write(kSearchCommand)) return false;
        char reply[65] = {};
        uint32_t length = 0;
        const ReplyWindow window{kSearchWaitMs, 300, EchoEnd(kSearchCommand, rate)};
        if (!ReadReplyWindow(host, port, window, reply, 64, &length)) return false;
        if (length != 0 && TakeReply(host, reply)) {
            host.SetLinkBaud(rate);
            host.Log("(:Found Device at " + host.Link().port + "(" + std::to_string(rate) +
                     ")!\r\n");
            return true;
        }
    }
    return false;
}

bool ScanWifi(ExchangeHost& host, std::string_view command, std::string* reply) {
    uint32_t baud = host.Link().baud;
    // A zero rate never gets past the line setting; it must not divide here either.
    uint32_t waitMs = baud ? 46080000 / baud + 3600 : 0;
    return WriteWaitRead(host, command, {waitMs, 4095, ScanEnd()}, 4096, reply);
}

bool SendScript(ExchangeHost& host, std::string_view script) {
    return WriteWaitRead(host, script, {kSendWaitMs, 300, EchoEnd(script, host.Link().baud)}, 1024,
                         nullptr);
}

bool QueryConfig(ExchangeHost& host, std::string* reply) {
    uint32_t baud = host.Link().baud;
    if (baud < kSlowQueryBelowBaud) return QueryConfigSlow(host, reply);
    ExchangePort port(host);
    if (!port.Open() || !port.Configure(baud)) return false;
    host.ExpectWait(kQueryWaitMs);
    // Only the block's write decides: the lead lines and the spacer merely wake the module up.
    port.WriteUnchecked(kQueryLead);
    port.WriteUnchecked(QuerySpacer());
    if (!port.Write(QueryBlock())) return false;
    const std::string asked = std::string(kQueryLead) + QueryBlock();
    std::string buffer(kReplyBufferSize, '\0');
    uint32_t length = 0;
    const ReplyWindow window{kQueryWaitMs, 1024, AnswerEnd(asked, baud)};
    if (!ReadReplyWindow(host, port, window, buffer.data(), kReplyBufferSize - 1, &length))
        return false;
    if (length == 0 || !TakeReply(host, buffer)) return false;
    if (reply != nullptr) *reply = UpToNul(buffer);
    return true;
}

bool QueryConfigSlow(ExchangeHost& host, std::string* reply) {
    ExchangePort port(host);
    uint32_t baud = host.Link().baud;
    if (!port.Open() || !port.Configure(baud)) return false;
    // The line time of 180 characters: the chunk's echo and its answers.
    uint32_t chunkWaitMs = 1800000 / baud;
    auto chunks = QueryChunks();
    host.ExpectWait(chunkWaitMs * static_cast<uint32_t>(chunks.size()));
    std::string buffer(kReplyBufferSize, '\0');
    uint32_t length = 0;
    for (const std::string& chunk : chunks) {
        if (!port.Write(chunk)) return false;
        const ReplyWindow window{chunkWaitMs, 1024, AnswerEnd(chunk, baud)};
        if (!ReadReplyWindow(host, port, window, buffer.data(), kReplyBufferSize - 1 - length,
                             &length))
            return false;
    }
    if (length == 0 || !TakeReply(host, buffer)) return false;
    if (reply != nullptr) *reply = UpToNul(buffer);
    return true;
}
