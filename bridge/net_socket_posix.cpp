// The PC's sockets over POSIX: non-blocking descriptors, waits by poll in short slices so a stop
// set from another thread ends them at once.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "exchange_stop.h"
#include "net_socket.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 20;
constexpr std::size_t kReceiveChunk = 65536;

NetError ErrorOf(int code) {
    switch (code) {
        case ECONNREFUSED:
            return NetError::kRefused;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case ENETDOWN:
            return NetError::kUnreachable;
        case ETIMEDOUT:
            return NetError::kTimedOut;
        case EADDRINUSE:
            return NetError::kAddressInUse;
        case EADDRNOTAVAIL:
            return NetError::kAddressNotAvailable;
        case ECONNRESET:
        case EPIPE:
            return NetError::kClosed;
        default:
            return NetError::kOther;
    }
}

bool Fail(NetFailure* failure, NetError error, int code) {
    failure->error = error;
    failure->code = code;
    failure->text = code ? std::strerror(code) : "";
    return false;
}

bool FailFromSystem(NetFailure* failure, int code) {
    return Fail(failure, ErrorOf(code), code);
}

bool MakeAddress(const std::string& host, uint16_t port, sockaddr_in* address,
                 NetFailure* failure) {
    *address = {};
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    if (port == 0 || inet_pton(AF_INET, host.c_str(), &address->sin_addr) != 1)
        return Fail(failure, NetError::kBadAddress, 0);
    return true;
}

const sockaddr* Generic(const sockaddr_in& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

}  // namespace

struct NetSocket::Impl {
    // Waits for `events` until `until`: 1 ready, 0 timed out, -1 stopped or failed (set).
    int Wait(short events, Clock::time_point until, const ExchangeStop* stop,
             NetFailure* failure) const;
    bool Open(NetProto kind, NetFailure* failure);

    int fd = -1;
    NetProto proto = NetProto::kTcp;
    bool listening = false;
    bool hasPeer = false;
    bool connected = false;  // UDP: connect() set the peer
    sockaddr_in peer{};
};

int NetSocket::Impl::Wait(short events, Clock::time_point until, const ExchangeStop* stop,
                          NetFailure* failure) const {
    for (;;) {
        if (stop && stop->Stopped()) {
            Fail(failure, NetError::kStopped, 0);
            return -1;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd entry{fd, events, 0};
        int slice = static_cast<int>(std::clamp<long long>(left, 0, kSliceMs));
        int ready = poll(&entry, 1, slice);
        if (ready > 0) return 1;
        if (ready < 0 && errno != EINTR) {
            FailFromSystem(failure, errno);
            return -1;
        }
        if (left <= 0) return 0;
    }
}

bool NetSocket::Impl::Open(NetProto kind, NetFailure* failure) {
    proto = kind;
    fd = socket(AF_INET,
                (kind == NetProto::kTcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC,
                0);
    return fd >= 0 || FailFromSystem(failure, errno);
}

NetSocket::NetSocket() : impl_(std::make_unique<Impl>()) {}

NetSocket::~NetSocket() {
    Close();
}

NetSocket::NetSocket(NetSocket&& other) noexcept : impl_(std::make_unique<Impl>()) {
    std::swap(impl_, other.impl_);
}

NetSocket& NetSocket::operator=(NetSocket&& other) noexcept {
    if (this != &other) {
        Close();
        std::swap(impl_, other.impl_);
    }
    return *this;
}

bool NetSocket::IsOpen() const {
    return impl_->fd >= 0;
}

void NetSocket::Close() {
    if (impl_->fd >= 0) close(impl_->fd);
    *impl_ = Impl{};
}

bool NetSocket::Connect(NetProto proto, const std::string& host, uint16_t port, uint32_t timeoutMs,
                        const ExchangeStop* stop, NetFailure* failure) {
    Close();
    sockaddr_in address{};
    if (!MakeAddress(host, port, &address, failure) || !impl_->Open(proto, failure)) return false;
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (connect(impl_->fd, Generic(address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            int code = errno;
            Close();
            return FailFromSystem(failure, code);
        }
        int ready = impl_->Wait(POLLOUT, until, stop, failure);
        int code = ETIMEDOUT;
        socklen_t length = sizeof code;
        if (ready == 1) getsockopt(impl_->fd, SOL_SOCKET, SO_ERROR, &code, &length);
        if (ready != 1 || code != 0) {
            Close();
            return ready < 0 ? false : FailFromSystem(failure, code);
        }
    }
    if (proto == NetProto::kTcp) {
        int on = 1;
        setsockopt(impl_->fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    impl_->peer = address;
    impl_->hasPeer = true;
    impl_->connected = true;
    return true;
}

bool NetSocket::Listen(NetProto proto, const std::string& host, uint16_t port,
                       NetFailure* failure) {
    Close();
    sockaddr_in address{};
    if (!MakeAddress(host, port, &address, failure) || !impl_->Open(proto, failure)) return false;
    if (proto == NetProto::kTcp) {  // a port left in TIME_WAIT by the last check is free again
        int on = 1;
        setsockopt(impl_->fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (bind(impl_->fd, Generic(address), sizeof address) != 0 ||
        (proto == NetProto::kTcp && listen(impl_->fd, 1) != 0)) {
        int code = errno;
        Close();
        return FailFromSystem(failure, code);
    }
    impl_->listening = true;
    return true;
}

bool NetSocket::Accept(NetSocket* connection, uint32_t timeoutMs, const ExchangeStop* stop,
                       NetFailure* failure) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int ready = impl_->Wait(POLLIN, until, stop, failure);
        if (ready < 0) return false;
        if (ready == 0) return Fail(failure, NetError::kTimedOut, ETIMEDOUT);
        sockaddr_in from{};
        socklen_t length = sizeof from;
        int fd = accept4(impl_->fd, reinterpret_cast<sockaddr*>(&from), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED) continue;
            return FailFromSystem(failure, errno);
        }
        connection->Close();
        connection->impl_->fd = fd;
        connection->impl_->proto = NetProto::kTcp;
        connection->impl_->peer = from;
        connection->impl_->hasPeer = true;
        connection->impl_->connected = true;
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return true;
    }
}

bool NetSocket::Send(std::string_view bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                     NetFailure* failure) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (impl_->proto == NetProto::kUdp) {
        if (!impl_->hasPeer) return Fail(failure, NetError::kOther, EDESTADDRREQ);
        for (;;) {
            ssize_t n = impl_->connected
                            ? send(impl_->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                            : sendto(impl_->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                     Generic(impl_->peer), sizeof impl_->peer);
            if (n >= 0) return true;
            if (errno == ECONNREFUSED) return FailFromSystem(failure, errno);
            if (errno != EAGAIN && errno != ENOBUFS && errno != EINTR)
                return FailFromSystem(failure, errno);
            int ready = impl_->Wait(POLLOUT, until, stop, failure);
            if (ready < 0) return false;
            if (ready == 0) return Fail(failure, NetError::kTimedOut, ETIMEDOUT);
        }
    }
    while (!bytes.empty()) {
        ssize_t n = send(impl_->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return FailFromSystem(failure, errno);
        int ready = impl_->Wait(POLLOUT, until, stop, failure);
        if (ready < 0) return false;
        if (ready == 0) return Fail(failure, NetError::kTimedOut, ETIMEDOUT);
    }
    return true;
}

bool NetSocket::Receive(std::string* bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                        NetFailure* failure) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int ready = impl_->Wait(POLLIN, until, stop, failure);
    if (ready <= 0) return ready == 0;
    char buffer[kReceiveChunk];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ssize_t n =
        recvfrom(impl_->fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return true;
        return FailFromSystem(failure, errno);
    }
    if (n == 0 && impl_->proto == NetProto::kTcp) return Fail(failure, NetError::kClosed, 0);
    if (impl_->proto == NetProto::kUdp && !impl_->hasPeer) {  // the first sender is the peer
        impl_->peer = from;
        impl_->hasPeer = true;
    }
    bytes->append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool NetSocket::HasPeer() const {
    return impl_->hasPeer;
}

std::string NetSocket::PeerText() const {
    if (!impl_->hasPeer) return {};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &impl_->peer.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(impl_->peer.sin_port));
}
