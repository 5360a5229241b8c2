// Both ends of the module's bridge held open and watched live: the serial port (what the PC
// writes to the module's UART and what comes back) and the network peer (the PC's side of the
// socket). Each side runs on a thread of its own that reads continuously, so the port's input
// queue never backs up however slowly the caller takes the data. The caller (a window's timer)
// takes what came in batches; what waits for it is bounded, the oldest giving way, while the
// counters count every byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge_endpoint.h"
#include "exchange_stop.h"
#include "exchanges.h"
#include "net_socket.h"

// Which way bytes went on a side: sent by the PC, or received by it.
enum class TrafficWay { kSent, kReceived };

struct TrafficChunk {
    std::chrono::system_clock::time_point time;
    TrafficWay way = TrafficWay::kReceived;
    std::string bytes;
};

enum class SideState {
    kClosed,   // never opened, or closed by the user
    kOpening,  // the port is opening, the socket connecting or waiting for the module
    kOpen,
    kFailed,  // see SideStatus::text
};

struct SideStatus {
    SideState state = SideState::kClosed;
    // What is open ("/dev/pts/3 at 57600 baud", "connected to 127.0.0.1:8080") or what failed.
    std::string text;
};

// What a side has for the caller since the last take.
struct SideTake {
    std::vector<TrafficChunk> chunks;  // in order
    // Bytes that came and went while nobody took them: they count, but are not in `chunks`.
    uint64_t skipped = 0;
    uint64_t sent = 0;  // all bytes so far, each way
    uint64_t received = 0;
    SideStatus status;
};

// A side's buffers, shared between its thread and the caller.
class MonitorSide {
  public:
    explicit MonitorSide(std::size_t pendingLimit) : pendingLimit_(pendingLimit) {}

    void Record(TrafficWay way, std::string_view bytes);
    void SetStatus(SideState state, std::string text);
    SideStatus Status() const;
    // Queues bytes for the side's thread to send.
    void Queue(std::string bytes);
    std::string TakeOutgoing(std::size_t limit);
    bool HasOutgoing() const;
    void DropOutgoing();
    SideTake Take();

  private:
    const std::size_t pendingLimit_;
    mutable std::mutex mutex_;
    std::deque<TrafficChunk> pending_;
    std::size_t pendingBytes_ = 0;
    uint64_t skipped_ = 0;
    std::string outgoing_;
    SideStatus status_;
    uint64_t sent_ = 0;
    uint64_t received_ = 0;
};

class BridgeMonitor {
  public:
    // Each side keeps at most `pendingLimit` bytes for the caller between two takes.
    explicit BridgeMonitor(std::size_t pendingLimit = kDefaultPendingLimit);
    ~BridgeMonitor();
    BridgeMonitor(const BridgeMonitor&) = delete;
    BridgeMonitor& operator=(const BridgeMonitor&) = delete;

    static constexpr std::size_t kDefaultPendingLimit = 256 * 1024;

    // Opens the port on the side's thread; the status tells how it went. An open side is
    // closed first.
    void OpenSerial(const LinkSettings& link);
    // Releases the port; when this returns, another program (or exchange) can open it.
    void CloseSerial();
    // Opens the PC's side of the socket for `endpoint` within `timeoutMs`, on the side's thread.
    void OpenNetwork(const BridgeEndpoint& endpoint, uint32_t timeoutMs);
    void CloseNetwork();

    // Queued for the side's thread; false (nothing queued) while the side is not open.
    bool SendSerial(std::string bytes);
    bool SendNetwork(std::string bytes);

    SideTake TakeSerial() { return serial_.Take(); }
    SideTake TakeNetwork() { return network_.Take(); }
    SideStatus SerialStatus() const { return serial_.Status(); }
    SideStatus NetworkStatus() const { return network_.Status(); }

  private:
    void RunSerial(LinkSettings link);
    void RunNetwork(BridgeEndpoint endpoint, uint32_t timeoutMs);

    MonitorSide serial_;
    MonitorSide network_;
    ExchangeStop serialStop_;
    ExchangeStop networkStop_;
    std::thread serialThread_;
    std::thread networkThread_;
};
