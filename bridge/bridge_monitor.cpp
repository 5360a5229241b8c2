#include "bridge_monitor.h"

#include <algorithm>
#include <utility>

#include "bridge_check.h"
#include "exchange_port.h"
#include "peer_link.h"

namespace {

// The longest a side's thread waits for input before it looks at what is queued to send.
constexpr uint32_t kPollMs = 10;
// One read's worth; at 5 MB/s a read every few milliseconds keeps the queue empty.
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr uint32_t kNetSendTimeoutMs = 5000;

// A side's thread reports nothing on its way but its status and its data.
class SilentLog : public ExchangeLog {
  public:
    void Log(std::string_view /*text*/) override {}
};

// The most one write may hold up the reading: about 20 ms of line time.
std::size_t WriteSlice(uint32_t baud) {
    return std::max<std::size_t>(64, baud / 10 / 50);
}

std::string SerialFailureText(const ExchangeResult& ended) {
    const SerialFailure& failure = ended.failure;
    std::string text = failure.message + " (error code " + std::to_string(failure.code) + ")";
    if (!failure.explanation.empty()) text += ": " + failure.explanation;
    return text;
}

}  // namespace

void MonitorSide::Record(TrafficWay way, std::string_view bytes) {
    if (bytes.empty()) return;
    // Counted under the same lock as the chunk, so a take never counts what it cannot show.
    std::lock_guard lock(mutex_);
    (way == TrafficWay::kSent ? sent_ : received_) += bytes.size();
    pending_.push_back({std::chrono::system_clock::now(), way, std::string(bytes)});
    pendingBytes_ += bytes.size();
    // The oldest give way; what the caller missed only counts.
    while (pendingBytes_ > pendingLimit_) {
        TrafficChunk& oldest = pending_.front();
        const std::size_t over = pendingBytes_ - pendingLimit_;
        if (oldest.bytes.size() > over) {
            oldest.bytes.erase(0, over);
            pendingBytes_ -= over;
            skipped_ += over;
        } else {
            pendingBytes_ -= oldest.bytes.size();
            skipped_ += oldest.bytes.size();
            pending_.pop_front();
        }
    }
}

void MonitorSide::SetStatus(SideState state, std::string text) {
    std::lock_guard lock(mutex_);
    status_ = {state, std::move(text)};
}

SideStatus MonitorSide::Status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

void MonitorSide::Queue(std::string bytes) {
    std::lock_guard lock(mutex_);
    outgoing_ += bytes;
}

std::string MonitorSide::TakeOutgoing(std::size_t limit) {
    std::lock_guard lock(mutex_);
    std::string bytes = outgoing_.substr(0, limit);
    outgoing_.erase(0, bytes.size());
    return bytes;
}

bool MonitorSide::HasOutgoing() const {
    std::lock_guard lock(mutex_);
    return !outgoing_.empty();
}

void MonitorSide::DropOutgoing() {
    std::lock_guard lock(mutex_);
    outgoing_.clear();
}

SideTake MonitorSide::Take() {
    SideTake take;
    std::lock_guard lock(mutex_);
    take.chunks.assign(std::make_move_iterator(pending_.begin()),
                       std::make_move_iterator(pending_.end()));
    pending_.clear();
    pendingBytes_ = 0;
    take.skipped = std::exchange(skipped_, 0);
    take.sent = sent_;
    take.received = received_;
    take.status = status_;
    return take;
}

BridgeMonitor::BridgeMonitor(std::size_t pendingLimit)
    : serial_(pendingLimit), network_(pendingLimit) {}

BridgeMonitor::~BridgeMonitor() {
    CloseSerial();
    CloseNetwork();
}

void BridgeMonitor::OpenSerial(const LinkSettings& link) {
    CloseSerial();
    serialStop_.Reset();
    serial_.SetStatus(SideState::kOpening, link.port);
    serialThread_ = std::thread([this, link] { RunSerial(link); });
}

void BridgeMonitor::CloseSerial() {
    if (!serialThread_.joinable()) return;
    serialStop_.Stop();
    serialThread_.join();
    serial_.DropOutgoing();
    serial_.SetStatus(SideState::kClosed, "");
}

void BridgeMonitor::OpenNetwork(const BridgeEndpoint& endpoint, uint32_t timeoutMs) {
    CloseNetwork();
    networkStop_.Reset();
    network_.SetStatus(
        SideState::kOpening,
        std::string(endpoint.role == ModuleRole::kClient ? "listening on " : "connecting to ") +
            endpoint.host + ":" + std::to_string(endpoint.port));
    networkThread_ = std::thread([this, endpoint, timeoutMs] { RunNetwork(endpoint, timeoutMs); });
}

void BridgeMonitor::CloseNetwork() {
    if (!networkThread_.joinable()) return;
    networkStop_.Stop();
    networkThread_.join();
    network_.DropOutgoing();
    network_.SetStatus(SideState::kClosed, "");
}

bool BridgeMonitor::SendSerial(std::string bytes) {
    if (serial_.Status().state != SideState::kOpen) return false;
    serial_.Queue(std::move(bytes));
    return true;
}

bool BridgeMonitor::SendNetwork(std::string bytes) {
    if (network_.Status().state != SideState::kOpen) return false;
    network_.Queue(std::move(bytes));
    return true;
}

void BridgeMonitor::RunSerial(LinkSettings link) {
    SilentLog log;
    const ExchangeContext context{link, serialStop_, log};
    ExchangePort port(context);
    if (!port.Open() || !port.Configure(link.baud)) {
        if (!serialStop_.Stopped())
            serial_.SetStatus(SideState::kFailed, SerialFailureText(port.Ended()));
        return;
    }
    serial_.SetStatus(SideState::kOpen, link.port + " at " + std::to_string(link.baud) + " baud");
    std::string buffer(kReadChunk, '\0');
    const std::size_t slice = WriteSlice(link.baud);
    while (!serialStop_.Stopped()) {
        if (const std::string out = serial_.TakeOutgoing(slice); !out.empty()) {
            if (!port.WriteBytes(out)) break;
            serial_.Record(TrafficWay::kSent, out);
        }
        uint32_t length = 0;
        if (!port.Read(buffer.data(), static_cast<uint32_t>(buffer.size()), 0, &length)) break;
        if (length > 0) {
            serial_.Record(TrafficWay::kReceived, std::string_view(buffer.data(), length));
        } else if (!serial_.HasOutgoing() && !port.AwaitInput(kPollMs)) {
            serialStop_.Sleep(1);
        }
    }
    if (!serialStop_.Stopped())
        serial_.SetStatus(SideState::kFailed, SerialFailureText(port.Ended()));
}

void BridgeMonitor::RunNetwork(BridgeEndpoint endpoint, uint32_t timeoutMs) {
    PeerLink peer;
    NetFailure failure;
    if (!peer.Open(endpoint, timeoutMs, &networkStop_, &failure)) {
        if (!networkStop_.Stopped())
            network_.SetStatus(SideState::kFailed, NetFailureMessage(endpoint, failure, timeoutMs));
        return;
    }
    const std::string where = endpoint.host + ":" + std::to_string(endpoint.port);
    const std::string waiting = "listening on " + where + ", waiting for the module to send";
    const auto openText = [&] {
        return peer.HasPeer() ? "connected to " + peer.PeerText() : waiting;
    };
    network_.SetStatus(SideState::kOpen, openText());
    bool knewPeer = peer.HasPeer();
    std::string bytes;
    while (!networkStop_.Stopped()) {
        // A module that is a UDP client is only known once it has sent: until then, what the
        // user typed waits.
        if (peer.HasPeer()) {
            if (const std::string out = network_.TakeOutgoing(kReadChunk); !out.empty()) {
                if (!peer.Send(out, kNetSendTimeoutMs, &networkStop_, &failure)) break;
                network_.Record(TrafficWay::kSent, out);
            }
        }
        bytes.clear();
        if (!peer.Receive(&bytes, kPollMs, &networkStop_, &failure)) break;
        network_.Record(TrafficWay::kReceived, bytes);
        if (peer.HasPeer() != knewPeer) {
            knewPeer = true;
            network_.SetStatus(SideState::kOpen, openText());
        }
    }
    if (networkStop_.Stopped()) return;
    network_.SetStatus(SideState::kFailed, failure.error == NetError::kClosed
                                               ? "the module closed the connection"
                                               : NetFailureMessage(endpoint, failure, timeoutMs));
}
