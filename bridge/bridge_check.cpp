#include "bridge_check.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "exchange_port.h"
#include "peer_link.h"
#include "query_texts.h"
#include "test_pattern.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

constexpr std::size_t kProbeSize = 16;
constexpr uint32_t kMinLegTimeoutMs = 1000;
constexpr std::size_t kMaxBlockSize = 1024;
constexpr std::size_t kReadChunk = 4096;
// The longest write the pattern makes at once; writes follow the line rate with this lead.
constexpr std::size_t kMaxWrite = 1024;
constexpr double kLeadSeconds = 0.05;
constexpr std::size_t kMinLead = 256;
// The longest a side waits for input in one go while it also has to send.
constexpr uint32_t kPollMs = 5;
constexpr uint32_t kSendTimeoutMs = 5000;
constexpr std::string_view kAtCommand = "at\r\n";
constexpr std::chrono::seconds kSettleLimit{3};
constexpr std::string_view kEscape = "+++";
// After the guard time that follows "+++": the module's "ok" at any rate.
constexpr uint32_t kEscapeReplyMs = 300;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// "tcp 127.0.0.1:8080".
std::string EndpointText(const BridgeEndpoint& endpoint) {
    return std::string(ProtoName(endpoint.proto)) + " " + endpoint.host + ":" +
           std::to_string(endpoint.port);
}

// The line time of `bytes` at `baud`, ten bits a byte.
double LineMs(double bytes, uint32_t baud) {
    return baud ? bytes * 10000.0 / baud : 0;
}

uint32_t LeftMs(Clock::time_point until) {
    auto left = std::chrono::ceil<Millis>(until - Clock::now()).count();
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

std::string ProbeText(uint32_t number) {
    char text[kProbeSize + 1];
    std::snprintf(text, sizeof text, "<probe %07u>#", number % 10000000);
    return std::string(text, kProbeSize);
}

// p50, p99 by nearest rank.
LatencyReport Summarize(std::vector<double> times, uint32_t probes, double limitMs) {
    LatencyReport report;
    report.probes = probes;
    report.answered = static_cast<uint32_t>(times.size());
    report.limitMs = limitMs;
    if (times.empty()) return report;
    std::sort(times.begin(), times.end());
    auto rank = [&times](double fraction) {
        std::size_t at = static_cast<std::size_t>(std::ceil(fraction * times.size()));
        return times[std::clamp<std::size_t>(at, 1, times.size()) - 1];
    };
    report.p50Ms = rank(0.50);
    report.p99Ms = rank(0.99);
    report.maxMs = times.back();
    return report;
}

// When a way's bytes came out: the first and last arrival and the size of the first piece, so
// the rate is taken over the time the line was carrying.
struct Arrivals {
    void Note(std::size_t bytes, Clock::time_point at) {
        if (bytes == 0) return;
        if (count == 0) {
            first = at;
            firstBytes = bytes;
        }
        last = at;
        count += bytes;
    }
    void Fill(WayReport* report) const {
        if (count <= firstBytes) return;
        report->seconds = std::chrono::duration<double>(last - first).count();
        if (report->seconds > 0)
            report->bytesPerSecond = static_cast<double>(count - firstBytes) / report->seconds;
    }
    uint64_t count = 0;
    std::size_t firstBytes = 0;
    Clock::time_point first{};
    Clock::time_point last{};
};

// Writes follow the line rate, a little ahead, so the sender's queue never holds more than a
// few tens of milliseconds and the line never runs dry.
std::size_t LeadBytes(uint32_t baud) {
    return std::max<std::size_t>(kMinLead, static_cast<std::size_t>(baud / 10.0 * kLeadSeconds));
}

class Pacer {
  public:
    Pacer(uint32_t baud, Clock::time_point start)
        : bytesPerSecond_(baud / 10.0), lead_(LeadBytes(baud)), start_(start) {}
    // How many bytes may go now, `sent` having gone so far.
    std::size_t Allowed(uint64_t sent, Clock::time_point now) const {
        double due = std::chrono::duration<double>(now - start_).count() * bytesPerSecond_;
        double allowed = due + static_cast<double>(lead_) - static_cast<double>(sent);
        return allowed > 0 ? static_cast<std::size_t>(allowed) : 0;
    }

  private:
    double bytesPerSecond_;
    std::size_t lead_;
    Clock::time_point start_;
};

// The stream of one way's pattern, made block by block as it is sent.
class PatternStream {
  public:
    PatternStream(PatternWay way, std::size_t blockSize, uint32_t blocks)
        : way_(way), blockSize_(blockSize), blocks_(blocks) {}
    uint64_t Total() const { return uint64_t{blocks_} * blockSize_; }
    uint64_t Sent() const { return sent_; }
    bool Done() const { return sent_ == Total(); }
    // The next `limit` bytes at most (whole blocks when `whole`), not yet marked sent.
    std::string_view Next(std::size_t limit, bool whole) {
        while (pending_.size() < limit && next_ < blocks_)
            pending_ += PatternBlock(way_, next_++, blockSize_);
        std::size_t n = std::min(limit, pending_.size());
        if (whole) n -= n % blockSize_;
        return std::string_view(pending_).substr(0, n);
    }
    void MarkSent(std::size_t bytes) {
        pending_.erase(0, bytes);
        sent_ += bytes;
    }

  private:
    PatternWay way_;
    std::size_t blockSize_;
    uint32_t blocks_;
    uint32_t next_ = 0;
    std::string pending_;
    uint64_t sent_ = 0;
};

class Check {
  public:
    Check(const ExchangeContext& context, const BridgeRequest& request, BridgeProgress* progress)
        : link_(context.link),
          request_(request),
          stop_(context.stop),
          log_(context.log),
          progress_(progress ? *progress : silent_) {}

    BridgeReport Run();

  private:
    ExchangeContext Context(ExchangeStop& stop) { return {link_, stop, log_}; }
    bool Stopped() const { return stop_.Stopped(); }
    bool ReadEndpoint();
    bool EnterTransparent();
    void CarryData();
    void Probe(ExchangePort& port);
    bool ProbeLeg(ExchangePort& port, bool fromSerial, const std::string& text,
                  Clock::time_point until);
    void Drain(ExchangePort& port, uint32_t ms);
    // Reads until the serial line has been quiet a while (a module that has just left
    // transparent mode echoes what it got), at most kSettleLimit.
    void Settle(ExchangePort& port);
    void SendPatterns(ExchangePort& port);
    void NetworkSide(PatternStream& out, PatternReader& in, Arrivals& arrivals,
                     std::size_t blockSize);
    void Finish();
    bool AnswersCommands(ExchangeStop& stop);
    void EndWith(BridgeOutcome outcome, std::string message);
    void EndWithExchange(const ExchangeResult& result, std::string_view what);
    void EndWithNetFailure();

    const LinkSettings link_;
    const BridgeRequest& request_;
    ExchangeStop& stop_;
    ExchangeLog& log_;
    BridgeProgress silent_;
    BridgeProgress& progress_;
    BridgeReport report_;
    bool ended_ = false;             // the outcome is settled
    bool maybeTransparent_ = false;  // the module may be in transparent mode: escape at the end
    bool peerOpened_ = false;
    bool dataFlowed_ = false;  // some pattern or probe came out
    PeerLink peer_;
    std::optional<SerialFailure> serialFailure_;
    // The network side's thread sets these; the check reads them once it has ended.
    NetFailure dataNetFailure_;
    std::atomic<bool> abort_{false};
    std::atomic<uint64_t> toNetworkCarried_{0};
    std::atomic<bool> serialWritesDone_{false};
    std::atomic<Clock::time_point> serialDoneAt_{};
    std::atomic<bool> networkWritesDone_{false};
};

void Check::EndWith(BridgeOutcome outcome, std::string message) {
    if (ended_) return;
    ended_ = true;
    report_.outcome = outcome;
    report_.message = std::move(message);
}

void Check::EndWithExchange(const ExchangeResult& result, std::string_view what) {
    switch (result.outcome) {
        case ExchangeOutcome::kStopped:
            EndWith(BridgeOutcome::kStopped, "stopped");
            break;
        case ExchangeOutcome::kSerialError:
            report_.serialFailure = result.failure;
            EndWith(BridgeOutcome::kSerialError, result.failure.message);
            break;
        default:
            EndWith(BridgeOutcome::kNoModule,
                    "no module answered " + std::string(what) + " on " + link_.port);
            break;
    }
}

void Check::EndWithNetFailure() {
    const NetFailure& failure = report_.netFailure;
    if (failure.error == NetError::kTimedOut && peerOpened_) {
        EndWith(BridgeOutcome::kTimedOut, "the module took no data from " +
                                              EndpointText(*report_.endpoint) + " for " +
                                              std::to_string(kSendTimeoutMs) + " ms");
        return;
    }
    EndWith(NetFailureOutcome(failure.error),
            NetFailureMessage(*report_.endpoint, failure, request_.connectTimeoutMs));
}

bool Check::ReadEndpoint() {
    std::string error;
    if (request_.overrides.Complete()) {
        report_.endpoint = EndpointFromSettings({}, request_.overrides, &error);
    } else if (request_.settings) {
        report_.endpoint = EndpointFromSettings(*request_.settings, request_.overrides, &error);
    } else {
        progress_.Phase(BridgePhase::kReadingSettings);
        const ExchangeResult result = QueryConfig(Context(stop_));
        if (result.outcome != ExchangeOutcome::kReplied) {
            EndWithExchange(result, "the query");
            return false;
        }
        report_.endpoint =
            EndpointFromSettings(CleanQueryReply(result.reply), request_.overrides, &error);
    }
    if (!report_.endpoint) EndWith(BridgeOutcome::kBadEndpoint, error + ": nothing was sent");
    return report_.endpoint.has_value();
}

bool Check::EnterTransparent() {
    progress_.Phase(BridgePhase::kEnteringTransparent);
    const ExchangeResult result = SendScript(Context(stop_), kTransparentCommand);
    // Even a broken reply may have reached the module: it may be transparent now.
    maybeTransparent_ = result.outcome != ExchangeOutcome::kSerialError;
    if (result.outcome == ExchangeOutcome::kReplied) return true;
    EndWithExchange(result, "\"at+reconn=1\"");
    return false;
}

bool Check::ProbeLeg(ExchangePort& port, bool fromSerial, const std::string& text,
                     Clock::time_point until) {
    std::string arrived;
    if (fromSerial) {
        if (!port.WriteBytes(text)) return false;
        while (arrived.size() < text.size() && LeftMs(until) > 0) {
            if (!peer_.Receive(&arrived, LeftMs(until), &stop_, &report_.netFailure)) {
                dataNetFailure_ = report_.netFailure;
                return false;
            }
        }
    } else {
        if (!peer_.Send(text, LeftMs(until), &stop_, &report_.netFailure)) {
            dataNetFailure_ = report_.netFailure;
            return false;
        }
        char buffer[kReadChunk];
        while (arrived.size() < text.size() && LeftMs(until) > 0 && !Stopped()) {
            uint32_t length = 0;
            if (!port.Read(buffer, sizeof buffer, 0, &length)) return false;
            arrived.append(buffer, length);
            if (length == 0 && !port.AwaitInput(std::min(LeftMs(until), kPollMs))) stop_.Sleep(1);
        }
    }
    if (!arrived.empty()) dataFlowed_ = true;
    return arrived == text;
}

void Check::Drain(ExchangePort& port, uint32_t ms) {
    const auto until = Clock::now() + Millis(ms);
    char buffer[kReadChunk];
    std::string ignored;
    NetFailure failure;
    while (LeftMs(until) > 0 && !Stopped()) {
        uint32_t length = 0;
        if (!port.Read(buffer, sizeof buffer, 0, &length)) return;
        ignored.clear();
        if (!peer_.Receive(&ignored, kPollMs, &stop_, &failure)) return;
    }
}

void Check::Probe(ExchangePort& port) {
    if (request_.probes == 0) return;
    progress_.Phase(BridgePhase::kProbing);
    const BridgeEndpoint& endpoint = *report_.endpoint;
    const double limitMs = LineMs(2.0 * kProbeSize, link_.baud) + endpoint.packTimeoutMs;
    const uint32_t legMs = std::max(kMinLegTimeoutMs, static_cast<uint32_t>(10 * limitMs));
    // A UDP server learns where to send from the PC's first datagram; anything else starts at
    // the serial side, so a UDP client shows the PC its address first.
    const bool fromSerial =
        !(endpoint.proto == NetProto::kUdp && endpoint.role == ModuleRole::kServer);
    std::vector<double> times;
    bool someFailed = false;
    for (uint32_t number = 0; number < request_.probes && !Stopped(); ++number) {
        const std::string text = ProbeText(number);
        const auto start = Clock::now();
        bool ok = ProbeLeg(port, fromSerial, text, start + Millis(legMs)) &&
                  ProbeLeg(port, !fromSerial, text, Clock::now() + Millis(legMs));
        if (ok) times.push_back(MsBetween(start, Clock::now()));
        someFailed |= !ok;
        if (port.Ended().outcome == ExchangeOutcome::kSerialError ||
            dataNetFailure_.error != NetError::kNone)
            break;
        // Two probes and nothing came through: the pattern tells the rest.
        if (!dataFlowed_ && number >= 1) break;
    }
    report_.latency = Summarize(std::move(times), request_.probes, limitMs);
    // A probe that came late must not be taken for pattern.
    if (someFailed) Drain(port, std::max<uint32_t>(200, 3 * endpoint.packTimeoutMs));
}

void Check::NetworkSide(PatternStream& out, PatternReader& in, Arrivals& arrivals,
                        std::size_t blockSize) {
    const bool datagrams = report_.endpoint->proto == NetProto::kUdp;
    const auto start = Clock::now();
    Pacer pacer(link_.baud, start);
    Clock::time_point lastIn = start;
    Clock::time_point writesDoneAt{};
    NetFailure failure;
    while (!abort_ && !Stopped()) {
        const auto now = Clock::now();
        // A module that is a UDP client is only known once it has sent.
        if (!out.Done() && peer_.HasPeer()) {
            std::size_t allowed = std::min(pacer.Allowed(out.Sent(), now), kMaxWrite);
            std::string_view chunk = out.Next(allowed, datagrams);
            if (!chunk.empty()) {
                // One datagram a block: each lands whole or not at all.
                std::size_t step = datagrams ? blockSize : chunk.size();
                std::size_t sent = 0;
                while (sent < chunk.size() &&
                       peer_.Send(chunk.substr(sent, step), kSendTimeoutMs, &stop_, &failure))
                    sent += std::min(step, chunk.size() - sent);
                out.MarkSent(sent);  // the chunk is a view of what this drops
                if (failure.error != NetError::kNone) break;
                if (out.Done()) {
                    networkWritesDone_ = true;
                    writesDoneAt = Clock::now();
                }
            }
        }
        std::string bytes;
        if (!peer_.Receive(&bytes, kPollMs, &stop_, &failure)) break;
        const auto received = Clock::now();
        if (!bytes.empty()) {
            in.Feed(bytes);
            arrivals.Note(bytes.size(), received);
            toNetworkCarried_ = in.Received();
            lastIn = received;
        }
        if (in.Complete() && out.Done()) break;
        // Everything sent both ways (or a UDP client never showed itself, so nothing could go
        // to it), and nothing more for the quiet time: the rest is lost.
        if ((out.Done() || !peer_.HasPeer()) && serialWritesDone_ &&
            MsBetween(std::max({lastIn, writesDoneAt, serialDoneAt_.load()}), received) >=
                request_.quietTimeoutMs)
            break;
    }
    if (failure.error != NetError::kNone && failure.error != NetError::kStopped) {
        dataNetFailure_ = failure;
        abort_ = true;  // the serial side has nothing more to learn
    }
    networkWritesDone_ = true;
}

void Check::SendPatterns(ExchangePort& port) {
    progress_.Phase(BridgePhase::kSending);
    const BridgeEndpoint& endpoint = *report_.endpoint;
    const std::size_t blockSize = std::clamp(endpoint.packLen, kMinBlockSize, kMaxBlockSize);
    const uint32_t blocks = static_cast<uint32_t>(
        std::max<std::size_t>(1, (request_.bytes + blockSize - 1) / blockSize));
    PatternStream toNetwork(PatternWay::kToNetwork, blockSize, blocks);
    PatternStream toSerial(PatternWay::kToSerial, blockSize, blocks);
    PatternReader fromNetwork(PatternWay::kToNetwork, blockSize, blocks);
    PatternReader fromSerial(PatternWay::kToSerial, blockSize, blocks);
    Arrivals networkArrivals;
    Arrivals serialArrivals;
    const uint64_t eachWay = toNetwork.Total();

    std::thread network([&] { NetworkSide(toSerial, fromNetwork, networkArrivals, blockSize); });
    const auto start = Clock::now();
    Pacer pacer(link_.baud, start);
    Clock::time_point lastIn = start;
    Clock::time_point writesDoneAt{};
    // However the module behaves, the check ends: twice the line time, the quiet time and a
    // connection's worth of slack.
    const auto until = start + Millis(static_cast<int64_t>(2 * LineMs(eachWay, link_.baud))) +
                       Millis(request_.quietTimeoutMs + request_.connectTimeoutMs);
    char buffer[kReadChunk];
    uint64_t lastReported = 0;
    while (!Stopped() && !abort_ && Clock::now() < until) {
        const auto now = Clock::now();
        bool wrote = false;
        if (!toNetwork.Done()) {
            std::size_t allowed = std::min(pacer.Allowed(toNetwork.Sent(), now), kMaxWrite);
            std::string_view chunk = toNetwork.Next(allowed, false);
            if (!chunk.empty()) {
                if (!port.WriteBytes(chunk)) break;
                toNetwork.MarkSent(chunk.size());
                wrote = true;
                if (toNetwork.Done()) {
                    writesDoneAt = Clock::now();
                    serialDoneAt_ = writesDoneAt;
                    serialWritesDone_ = true;
                }
            }
        }
        uint32_t length = 0;
        if (!port.Read(buffer, sizeof buffer, 0, &length)) break;
        const auto received = Clock::now();
        if (length > 0) {
            fromSerial.Feed(std::string_view(buffer, length));
            serialArrivals.Note(length, received);
            lastIn = received;
        }
        const uint64_t carried = toNetworkCarried_ + fromSerial.Received();
        if (carried != lastReported) {
            progress_.Carried(toNetworkCarried_, fromSerial.Received(), eachWay);
            lastReported = carried;
        }
        if (fromSerial.Complete() && toNetwork.Done()) break;
        if (toNetwork.Done() && networkWritesDone_ &&
            MsBetween(std::max(lastIn, writesDoneAt), received) >= request_.quietTimeoutMs)
            break;
        if (length == 0 && !wrote && !port.AwaitInput(kPollMs)) stop_.Sleep(1);
    }
    serialWritesDone_ = true;
    if (port.Ended().outcome == ExchangeOutcome::kSerialError) {
        serialFailure_ = port.Ended().failure;
        abort_ = true;
    }
    // The network side ends by itself once its way is complete or quiet.
    if (Clock::now() >= until) abort_ = true;
    network.join();
    if (dataNetFailure_.error != NetError::kNone) report_.netFailure = dataNetFailure_;

    fromNetwork.Finish();
    fromSerial.Finish();
    progress_.Carried(fromNetwork.Received(), fromSerial.Received(), eachWay);
    report_.toNetwork = fromNetwork.Report();
    report_.toSerial = fromSerial.Report();
    networkArrivals.Fill(&report_.toNetwork);
    serialArrivals.Fill(&report_.toSerial);
    if (report_.toNetwork.received > 0 || report_.toSerial.received > 0) dataFlowed_ = true;
}

void Check::CarryData() {
    progress_.Phase(BridgePhase::kConnecting);
    const ExchangeContext context = Context(stop_);  // the port keeps a reference to it
    ExchangePort port(context);
    if (!port.Open() || !port.Configure(link_.baud)) {
        if (port.Ended().outcome == ExchangeOutcome::kSerialError)
            serialFailure_ = port.Ended().failure;
        return;
    }
    if (!peer_.Open(*report_.endpoint, request_.connectTimeoutMs, &stop_, &report_.netFailure))
        return;
    peerOpened_ = true;
    report_.peer = peer_.PeerText();
    Probe(port);
    if (port.Ended().outcome == ExchangeOutcome::kSerialError)
        serialFailure_ = port.Ended().failure;
    if (!serialFailure_ && dataNetFailure_.error == NetError::kNone && !Stopped())
        SendPatterns(port);
    if (!report_.peer.empty() || peer_.HasPeer()) report_.peer = peer_.PeerText();
    // Before asking whether the module answers commands: end the line the pattern may have
    // begun in command mode, and let what the module still sends run out.
    if (!Stopped() && !serialFailure_ &&
        (report_.netFailure.error != NetError::kNone || !dataFlowed_)) {
        if (peerOpened_) port.WriteBytes("\r\n");
        Settle(port);
    }
}

void Check::Settle(ExchangePort& port) {
    const auto quiet = Millis(std::max<int64_t>(100, static_cast<int64_t>(LineMs(20, link_.baud))));
    const auto start = Clock::now();
    auto last = start;
    char buffer[kReadChunk];
    while (!Stopped() && Clock::now() - last < quiet && Clock::now() - start < kSettleLimit) {
        uint32_t length = 0;
        if (!port.Read(buffer, sizeof buffer, 0, &length)) return;
        if (length > 0)
            last = Clock::now();
        else if (!port.AwaitInput(kPollMs))
            stop_.Sleep(1);
    }
}

bool Check::AnswersCommands(ExchangeStop& stop) {
    progress_.Phase(BridgePhase::kConfirming);
    return SendScript(Context(stop), kAtCommand).outcome == ExchangeOutcome::kReplied;
}

void Check::Finish() {
    // A stop ends the check, not the clean-up: the module still gets its escape.
    ExchangeStop cleanup;
    ExchangeStop& stop = Stopped() ? cleanup : stop_;
    if (Stopped()) EndWith(BridgeOutcome::kStopped, "stopped");
    if (serialFailure_) {
        report_.serialFailure = *serialFailure_;
        EndWith(BridgeOutcome::kSerialError, serialFailure_->message);
        return;  // the port failed: nothing more can be said to the module
    }
    const bool connectFailed = !peerOpened_ && report_.netFailure.error != NetError::kNone;
    const bool dropped = report_.netFailure.error == NetError::kClosed;
    const bool nothingCame = peerOpened_ && !dataFlowed_;
    // A module that answers commands was never (or is no longer) transparent: no data loss.
    if (!Stopped() && maybeTransparent_ && (connectFailed || dropped || nothingCame) &&
        AnswersCommands(stop)) {
        report_.commandMode = CommandMode::kConfirmed;
        if (dataFlowed_)
            EndWith(BridgeOutcome::kLeftTransparent,
                    "the module left transparent mode during the check: it answers commands");
        else
            EndWith(BridgeOutcome::kNotTransparent,
                    "the module answers commands: it did not enter transparent mode");
        return;
    }
    // A socket that failed on its way (a UDP module's port closed, a peer that stopped
    // taking data) says so; one the module closed is counted with the data below.
    const bool netFailed = report_.netFailure.error != NetError::kNone &&
                           report_.netFailure.error != NetError::kStopped;
    if (connectFailed || (netFailed && !dropped)) EndWithNetFailure();
    if (maybeTransparent_ && !request_.stay) {
        progress_.Phase(BridgePhase::kLeavingTransparent);
        // What the PC wrote last may still be on the line: the guard time starts after it.
        stop.Sleep(static_cast<uint32_t>(LineMs(kMaxWrite + LeadBytes(link_.baud), link_.baud)));
        const ExchangeResult result = LeaveTransparentMode(Context(stop), request_.escapeGuardMs);
        report_.commandMode = result.outcome == ExchangeOutcome::kReplied
                                  ? CommandMode::kConfirmed
                                  : CommandMode::kNotConfirmed;
        if (result.outcome == ExchangeOutcome::kSerialError) {
            report_.serialFailure = result.failure;
            EndWith(BridgeOutcome::kSerialError, result.failure.message);
        }
    }
    const WayReport& out = report_.toNetwork;
    const WayReport& back = report_.toSerial;
    if (dropped) {
        EndWith(BridgeOutcome::kDamaged, "the module closed the connection after " +
                                             std::to_string(out.received + back.received) +
                                             " bytes of pattern");
    } else if (!out.Intact() || !back.Intact() || out.sent == 0) {
        EndWith(BridgeOutcome::kDamaged,
                std::to_string(out.lost + back.lost) + " bytes lost, " +
                    std::to_string(out.corrupted + back.corrupted) + " corrupted, " +
                    std::to_string(out.reordered + back.reordered) + " reordered");
    }
    if (report_.commandMode == CommandMode::kNotConfirmed)
        EndWith(BridgeOutcome::kNoCommandMode,
                "the module did not answer \"at\" after the escape: it may still be in "
                "transparent mode");
    EndWith(BridgeOutcome::kIntact, "every byte arrived intact both ways");
}

BridgeReport Check::Run() {
    report_.lineBaud = link_.baud;
    if (!ReadEndpoint()) return report_;
    if (request_.alreadyTransparent) {
        maybeTransparent_ = true;
    } else if (!EnterTransparent()) {
        // Stopped while asking: the module may have heard it, and gets its escape.
        if (Stopped() && maybeTransparent_) Finish();
        return report_;
    }
    CarryData();
    peer_.Close();  // the socket closes before the escape
    Finish();
    return report_;
}

}  // namespace

ExchangeResult LeaveTransparentMode(const ExchangeContext& context, uint32_t guardMs) {
    {
        ExchangePort port(context);
        if (!port.Open() || !port.Configure(context.link.baud)) return port.Ended();
        context.log.ExpectWait(2 * guardMs + kEscapeReplyMs);
        context.stop.Sleep(guardMs);
        if (context.stop.Stopped() || !port.WriteBytes(kEscape)) return port.Ended();
        context.stop.Sleep(guardMs + kEscapeReplyMs);
        char reply[256];
        uint32_t length = 0;
        if (!port.Read(reply, sizeof reply - 1, 0, &length)) return port.Ended();
        if (length > 0) context.log.Log(">:" + std::string(reply, length) + "\r\n");
    }
    // Whatever the escape's answer, the module counts as back once it answers "at".
    return SendScript(context, kAtCommand);
}

BridgeOutcome NetFailureOutcome(NetError error) {
    switch (error) {
        case NetError::kStopped:
            return BridgeOutcome::kStopped;
        case NetError::kRefused:
            return BridgeOutcome::kRefused;
        case NetError::kUnreachable:
            return BridgeOutcome::kUnreachable;
        case NetError::kTimedOut:
            return BridgeOutcome::kTimedOut;
        case NetError::kAddressInUse:
            return BridgeOutcome::kAddressInUse;
        case NetError::kAddressNotAvailable:
            return BridgeOutcome::kAddressNotLocal;
        case NetError::kBadAddress:
            return BridgeOutcome::kBadEndpoint;
        default:
            return BridgeOutcome::kDamaged;
    }
}

std::string NetFailureMessage(const BridgeEndpoint& endpoint, const NetFailure& failure,
                              uint32_t timeoutMs) {
    const bool listening = endpoint.role == ModuleRole::kClient;
    const std::string where = EndpointText(endpoint);
    const std::string system = failure.text.empty() ? "" : " (" + failure.text + ")";
    switch (failure.error) {
        case NetError::kStopped:
            return "stopped";
        case NetError::kRefused:
            return where + " refused the connection: nothing listens there" + system;
        case NetError::kUnreachable:
            return "no route to " + where + system;
        case NetError::kTimedOut:
            return listening ? "the module did not connect to " + where + " within " +
                                   std::to_string(timeoutMs) + " ms"
                             : "no connection to " + where + " within " +
                                   std::to_string(timeoutMs) + " ms";
        case NetError::kAddressInUse:
            return "cannot listen on " + where + ": the port is in use" + system;
        case NetError::kAddressNotAvailable:
            return "cannot listen on " + where +
                   ": not an address of this PC (the module connects there)" + system;
        case NetError::kBadAddress:
            return where + " is not an address a socket can use";
        default:
            return std::string(listening ? "listening on " : "connecting to ") + where + " failed" +
                   system;
    }
}

BridgeReport RunBridgeCheck(const ExchangeContext& context, const BridgeRequest& request,
                            BridgeProgress* progress) {
    return Check(context, request, progress).Run();
}

std::string_view BridgeOutcomeName(BridgeOutcome outcome) {
    switch (outcome) {
        case BridgeOutcome::kIntact:
            return "intact";
        case BridgeOutcome::kDamaged:
            return "damaged";
        case BridgeOutcome::kBadEndpoint:
            return "bad endpoint";
        case BridgeOutcome::kRefused:
            return "refused";
        case BridgeOutcome::kUnreachable:
            return "unreachable";
        case BridgeOutcome::kTimedOut:
            return "timed out";
        case BridgeOutcome::kAddressInUse:
            return "address in use";
        case BridgeOutcome::kAddressNotLocal:
            return "address not local";
        case BridgeOutcome::kNoModule:
            return "no module";
        case BridgeOutcome::kNotTransparent:
            return "not transparent";
        case BridgeOutcome::kLeftTransparent:
            return "left transparent";
        case BridgeOutcome::kNoCommandMode:
            return "no command mode";
        case BridgeOutcome::kSerialError:
            return "serial error";
        case BridgeOutcome::kStopped:
            return "stopped";
    }
    return "unknown";
}
