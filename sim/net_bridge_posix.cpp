#include "net_bridge_posix.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace {

constexpr std::size_t kReadChunk = 4096;

bool IsLoopback(const sockaddr_in& address) {
    return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

sockaddr_in Address(const std::string& ip, uint16_t port, bool* ok) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    *ok = inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
    return address;
}

void SetReuseAddress(int fd) {
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

void SetNoDelay(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

const sockaddr* AsGeneric(const sockaddr_in& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

}  // namespace

void NetBridge::Open(const BridgeSettings& settings, Clock::time_point now) {
    Close();
    open_ = true;
    settings_ = settings;
    packer_.emplace(settings.packLen, std::chrono::milliseconds(settings.packTimeoutMs));
    const BridgeFault fault = options_.bridgeFault;
    const FaultDirection direction = options_.bridgeFaultDirection;
    toNetwork_.emplace(fault, direction != FaultDirection::kToSerial, options_.bridgeFaultEvery,
                       options_.bridgeDelayMs);
    toSerial_.emplace(fault, direction != FaultDirection::kToNetwork, options_.bridgeFaultEvery,
                      options_.bridgeDelayMs);
    bool localOk = false;
    local_ = Address(options_.netAddr, settings.server ? settings.remotePort : settings.localPort,
                     &localOk);
    bool remoteOk = false;
    remote_ = Address(settings.remoteIp, settings.remotePort, &remoteOk);
    // The module's network is its one address: from the loopback it reaches nothing beyond it.
    remoteUsable_ = remoteOk && (!IsLoopback(local_) || IsLoopback(remote_));
    if (!localOk || fault == BridgeFault::kRefuse) return;
    if (settings.udp) {
        OpenUdp();
    } else if (settings.server) {
        listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (listenFd_ < 0) return;
        SetReuseAddress(listenFd_);
        if (bind(listenFd_, AsGeneric(local_), sizeof local_) != 0 || listen(listenFd_, 1) != 0)
            CloseFd(&listenFd_);
    } else {
        StartConnect(now);
    }
}

void NetBridge::OpenUdp() {
    udpFd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (udpFd_ < 0) return;
    SetReuseAddress(udpFd_);
    if (bind(udpFd_, AsGeneric(local_), sizeof local_) != 0) CloseFd(&udpFd_);
}

void NetBridge::StartConnect(Clock::time_point now) {
    retryAt_.reset();
    if (!remoteUsable_) return;  // an address it cannot reach: it never connects
    peerFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (peerFd_ < 0) {
        retryAt_ = now + std::chrono::milliseconds(options_.clientRetryMs);
        return;
    }
    SetReuseAddress(peerFd_);
    bool bound = bind(peerFd_, AsGeneric(local_), sizeof local_) == 0;
    if (bound && connect(peerFd_, AsGeneric(remote_), sizeof remote_) == 0) {
        SetNoDelay(peerFd_);
        carried_ = 0;
    } else if (bound && errno == EINPROGRESS) {
        connecting_ = true;
    } else {
        ClosePeer(now);
    }
}

void NetBridge::CloseFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

void NetBridge::ClosePeer(Clock::time_point now) {
    CloseFd(&peerFd_);
    connecting_ = false;
    sendBlocked_ = false;
    outbox_.clear();
    if (open_ && !settings_.udp && !settings_.server && remoteUsable_ &&
        options_.bridgeFault != BridgeFault::kRefuse)
        retryAt_ = now + std::chrono::milliseconds(options_.clientRetryMs);
}

void NetBridge::Close() {
    open_ = false;
    CloseFd(&listenFd_);
    CloseFd(&peerFd_);
    CloseFd(&udpFd_);
    connecting_ = false;
    sendBlocked_ = false;
    hasUdpPeer_ = false;
    retryAt_.reset();
    packer_.reset();
    toNetwork_.reset();
    toSerial_.reset();
    outbox_.clear();
    carried_ = 0;
}

void NetBridge::FromSerial(std::string_view bytes, Clock::time_point at) {
    if (!open_ || bytes.empty()) return;
    std::vector<std::string> packets;
    packer_->Add(bytes, at, &packets);
    std::vector<TimedChunk> chunks;
    for (std::string& packet : packets) toNetwork_->Carry(std::move(packet), at, &chunks);
    for (TimedChunk& chunk : chunks) outbox_.push_back(std::move(chunk));
}

void NetBridge::AddPollFds(std::vector<pollfd>* fds, bool serialRoom) const {
    if (listenFd_ >= 0) fds->push_back({listenFd_, POLLIN, 0});
    if (peerFd_ >= 0) {
        short events =
            connecting_
                ? POLLOUT
                : static_cast<short>((serialRoom ? POLLIN : 0) | (sendBlocked_ ? POLLOUT : 0));
        if (events) fds->push_back({peerFd_, events, 0});
    }
    if (udpFd_ >= 0) {
        short events = static_cast<short>((serialRoom ? POLLIN : 0) | (sendBlocked_ ? POLLOUT : 0));
        if (events) fds->push_back({udpFd_, events, 0});
    }
}

short NetBridge::Revents(const std::vector<pollfd>& fds, int fd) const {
    if (fd < 0) return 0;
    for (const pollfd& entry : fds)
        if (entry.fd == fd) return entry.revents;
    return 0;
}

void NetBridge::Serve(const std::vector<pollfd>& fds, Clock::time_point now, bool serialRoom,
                      std::vector<TimedChunk>* toSerial) {
    if (!open_) return;
    if (retryAt_ && now >= *retryAt_) StartConnect(now);
    if (Revents(fds, listenFd_) & POLLIN) Accept();
    if (connecting_ && Revents(fds, peerFd_)) FinishConnect(now);
    if (serialRoom) Receive(fds, now, toSerial);
    if (std::string packet = packer_->TakeIfQuiet(now); !packet.empty()) {
        std::vector<TimedChunk> chunks;
        toNetwork_->Carry(std::move(packet), now, &chunks);
        for (TimedChunk& chunk : chunks) outbox_.push_back(std::move(chunk));
    }
    std::vector<TimedChunk> released;
    toNetwork_->ReleaseHeld(now, &released);
    for (TimedChunk& chunk : released) outbox_.push_back(std::move(chunk));
    toSerial_->ReleaseHeld(now, toSerial);
    Flush(now);
}

void NetBridge::Accept() {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (peerFd_ >= 0) {  // one peer at a time: a second one is turned away
        close(fd);
        return;
    }
    peerFd_ = fd;
    SetNoDelay(peerFd_);
    carried_ = 0;
}

void NetBridge::FinishConnect(Clock::time_point now) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(peerFd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        ClosePeer(now);
        return;
    }
    connecting_ = false;
    SetNoDelay(peerFd_);
    carried_ = 0;
}

void NetBridge::Receive(const std::vector<pollfd>& fds, Clock::time_point now,
                        std::vector<TimedChunk>* toSerial) {
    char buffer[kReadChunk];
    const std::size_t limit = std::min(sizeof buffer, Allowance());
    if (peerFd_ >= 0 && !connecting_ && (Revents(fds, peerFd_) & (POLLIN | POLLHUP | POLLERR))) {
        ssize_t n = recv(peerFd_, buffer, limit, 0);
        if (n > 0) {
            toSerial_->Carry(std::string(buffer, static_cast<std::size_t>(n)), now, toSerial);
            Count(static_cast<std::size_t>(n), now);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            ClosePeer(now);
        }
    }
    if (udpFd_ >= 0 && (Revents(fds, udpFd_) & POLLIN)) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t n =
            recvfrom(udpFd_, buffer, limit, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n > 0) {
            if (settings_.server) {  // answers the last sender
                udpPeer_ = from;
                hasUdpPeer_ = true;
            }
            toSerial_->Carry(std::string(buffer, static_cast<std::size_t>(n)), now, toSerial);
            Count(static_cast<std::size_t>(n), now);
        }
    }
}

void NetBridge::Flush(Clock::time_point now) {
    sendBlocked_ = false;
    while (!outbox_.empty() && outbox_.front().notBefore <= now) {
        std::string& bytes = outbox_.front().bytes;
        const std::size_t length = std::min(bytes.size(), Allowance());
        if (settings_.udp) {
            const sockaddr_in* to = settings_.server ? (hasUdpPeer_ ? &udpPeer_ : nullptr)
                                                     : (remoteUsable_ ? &remote_ : nullptr);
            ssize_t n = -1;
            if (udpFd_ >= 0 && to) {
                n = sendto(udpFd_, bytes.data(), length, MSG_NOSIGNAL, AsGeneric(*to), sizeof *to);
                if (n < 0 && (errno == EAGAIN || errno == ENOBUFS)) {
                    sendBlocked_ = true;
                    return;
                }
            }
            // No peer yet, or a datagram nobody takes: lost, as on a real network.
            outbox_.pop_front();
            if (n > 0) Count(static_cast<std::size_t>(n), now);
            continue;
        }
        if (peerFd_ < 0 || connecting_) {  // no connection: the module drops what it has
            outbox_.pop_front();
            continue;
        }
        ssize_t n = send(peerFd_, bytes.data(), length, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                sendBlocked_ = true;
            } else {
                ClosePeer(now);
            }
            return;
        }
        bytes.erase(0, static_cast<std::size_t>(n));
        if (bytes.empty()) outbox_.pop_front();
        Count(static_cast<std::size_t>(n), now);
        if (peerFd_ < 0) return;  // cut by the disconnect fault
        if (static_cast<std::size_t>(n) < length) {
            sendBlocked_ = true;
            return;
        }
    }
}

std::size_t NetBridge::Allowance() const {
    if (options_.bridgeFault != BridgeFault::kDisconnect)
        return std::numeric_limits<std::size_t>::max();
    return options_.disconnectAfterBytes > carried_ ? options_.disconnectAfterBytes - carried_ : 0;
}

void NetBridge::Count(std::size_t bytes, Clock::time_point now) {
    carried_ += bytes;
    if (Allowance() > 0) return;
    if (settings_.udp)
        CloseFd(&udpFd_);
    else
        ClosePeer(now);
}

std::optional<NetBridge::Clock::time_point> NetBridge::NextDeadline() const {
    if (!open_) return std::nullopt;
    std::optional<Clock::time_point> next = retryAt_;
    auto consider = [&next](std::optional<Clock::time_point> t) {
        if (t && (!next || *t < *next)) next = t;
    };
    consider(packer_->QuietDeadline());
    consider(toNetwork_->HeldUntil());
    consider(toSerial_->HeldUntil());
    if (!outbox_.empty() && !sendBlocked_) consider(outbox_.front().notBefore);
    return next;
}
