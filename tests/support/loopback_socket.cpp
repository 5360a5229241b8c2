#include "loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

const sockaddr* Generic(const sockaddr_in& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

uint16_t PortOf(int fd, bool peer) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    sockaddr* generic = reinterpret_cast<sockaddr*>(&address);
    int result = peer ? getpeername(fd, generic, &length) : getsockname(fd, generic, &length);
    return result == 0 ? ntohs(address.sin_port) : 0;
}

}  // namespace

uint16_t LoopbackSocket::FreePort(bool udp) {
    int fd = socket(AF_INET, (udp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    uint16_t port = 0;
    if (fd >= 0 && bind(fd, Generic(address), sizeof address) == 0) port = PortOf(fd, false);
    if (fd >= 0) close(fd);
    return port;
}

LoopbackSocket LoopbackSocket::TcpListen(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = Loopback(port);
    if (bind(fd, Generic(address), sizeof address) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return {};
    }
    return LoopbackSocket(fd);
}

LoopbackSocket LoopbackSocket::TcpConnectOnce(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(port);
    if (connect(fd, Generic(address), sizeof address) != 0) {
        LoopbackSocket failed;
        failed.connectError_ = errno;
        close(fd);
        return failed;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return LoopbackSocket(fd);
}

LoopbackSocket LoopbackSocket::TcpConnect(uint16_t port, Millis deadline) {
    auto until = Clock::now() + deadline;
    for (;;) {
        LoopbackSocket socket = TcpConnectOnce(port);
        if (socket.Valid() || Clock::now() >= until) return socket;
        std::this_thread::sleep_for(Millis(20));
    }
}

LoopbackSocket LoopbackSocket::UdpBind(uint16_t port) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(port);
    if (bind(fd, Generic(address), sizeof address) != 0) {
        close(fd);
        return {};
    }
    return LoopbackSocket(fd);
}

LoopbackSocket::~LoopbackSocket() {
    Close();
}

LoopbackSocket::LoopbackSocket(LoopbackSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), connectError_(other.connectError_) {}

LoopbackSocket& LoopbackSocket::operator=(LoopbackSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        connectError_ = other.connectError_;
    }
    return *this;
}

void LoopbackSocket::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

uint16_t LoopbackSocket::LocalPort() const {
    return PortOf(fd_, false);
}

uint16_t LoopbackSocket::PeerPort() const {
    return PortOf(fd_, true);
}

bool LoopbackSocket::WaitReadable(Clock::time_point until) const {
    auto left = std::chrono::ceil<Millis>(until - Clock::now()).count();
    pollfd entry{fd_, POLLIN, 0};
    return fd_ >= 0 && poll(&entry, 1, static_cast<int>(left > 0 ? left : 0)) > 0;
}

LoopbackSocket LoopbackSocket::Accept(Millis deadline) {
    if (!WaitReadable(Clock::now() + deadline)) return {};
    int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return {};
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return LoopbackSocket(fd);
}

bool LoopbackSocket::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool LoopbackSocket::SendTo(std::string_view bytes, uint16_t port) {
    sockaddr_in address = Loopback(port);
    return sendto(fd_, bytes.data(), bytes.size(), 0, Generic(address), sizeof address) ==
           static_cast<ssize_t>(bytes.size());
}

std::string LoopbackSocket::Receive(std::size_t count, Millis deadline) {
    auto until = Clock::now() + deadline;
    std::string received;
    char buffer[4096];
    while (received.size() < count && WaitReadable(until)) {
        ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

std::optional<std::string> LoopbackSocket::ReceiveDatagram(Millis deadline, uint16_t* fromPort) {
    if (!WaitReadable(Clock::now() + deadline)) return std::nullopt;
    char buffer[65536];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ssize_t n =
        recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) return std::nullopt;
    if (fromPort) *fromPort = ntohs(from.sin_port);
    return std::string(buffer, static_cast<std::size_t>(n));
}

bool LoopbackSocket::PeerClosed(Millis deadline) {
    auto until = Clock::now() + deadline;
    char buffer[4096];
    while (WaitReadable(until)) {
        ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno == ECONNRESET)) return true;
        if (n < 0) return false;
    }
    return false;
}
