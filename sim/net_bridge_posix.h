// The simulated module's network side in transparent mode: one socket on the module's address,
// following the settings the module entered transparent mode with. As a TCP server it listens
// on remoteport and takes one peer at a time; as a TCP client it connects to
// remoteip:remoteport (from CLport when set) and tries again while the peer is absent; over UDP
// it binds remoteport and answers the last sender, or sends to remoteip:remoteport. Serial
// input leaves packed by length and quiet time; the bridge faults act on the way.
#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "bridge_fault.h"
#include "bridge_settings.h"
#include "sim_module.h"
#include "uart_packer.h"

class NetBridge {
  public:
    using Clock = std::chrono::steady_clock;

    explicit NetBridge(const SimOptions& options) : options_(options) {}
    ~NetBridge() { Close(); }
    NetBridge(const NetBridge&) = delete;
    NetBridge& operator=(const NetBridge&) = delete;

    // Takes effect at the next Open.
    void SetOptions(const SimOptions& options) { options_ = options; }
    // Entering transparent mode: opens the network side as the settings say.
    void Open(const BridgeSettings& settings, Clock::time_point now);
    // Leaving it: every socket closes; data on its way is dropped.
    void Close();
    bool IsOpen() const { return open_; }

    // Serial bytes that arrived at the module's UART, the last of them at `at`.
    void FromSerial(std::string_view bytes, Clock::time_point at);
    // The sockets to wait for. `serialRoom`: the serial line takes more data now; without it
    // the bridge reads nothing from the network, so a TCP sender is held back by the window.
    void AddPollFds(std::vector<pollfd>* fds, bool serialRoom) const;
    // Serves what poll reported and the timers that are due; bytes for the serial line go to
    // `toSerial`, each not before its time.
    void Serve(const std::vector<pollfd>& fds, Clock::time_point now, bool serialRoom,
               std::vector<TimedChunk>* toSerial);
    std::optional<Clock::time_point> NextDeadline() const;

  private:
    void StartConnect(Clock::time_point now);
    void OpenUdp();
    void ClosePeer(Clock::time_point now);
    void CloseFd(int* fd);
    void Accept();
    void FinishConnect(Clock::time_point now);
    void Receive(const std::vector<pollfd>& fds, Clock::time_point now,
                 std::vector<TimedChunk>* toSerial);
    void Flush(Clock::time_point now);
    // Bytes still allowed before the disconnect fault cuts the connection.
    std::size_t Allowance() const;
    void Count(std::size_t bytes, Clock::time_point now);
    short Revents(const std::vector<pollfd>& fds, int fd) const;

    SimOptions options_;
    BridgeSettings settings_;
    bool open_ = false;
    sockaddr_in local_{};
    sockaddr_in remote_{};
    bool remoteUsable_ = false;  // a client may reach the remote address from the module's
    int listenFd_ = -1;          // TCP server
    int peerFd_ = -1;            // TCP peer, or the TCP client's socket
    bool connecting_ = false;
    bool sendBlocked_ = false;  // the socket took no more: wait until it is writable
    int udpFd_ = -1;
    sockaddr_in udpPeer_{};
    bool hasUdpPeer_ = false;
    std::optional<Clock::time_point> retryAt_;
    std::optional<UartPacker> packer_;
    std::optional<FaultLane> toNetwork_;
    std::optional<FaultLane> toSerial_;
    std::deque<TimedChunk> outbox_;  // for the network
    std::size_t carried_ = 0;        // this connection, both ways, for the disconnect fault
};
