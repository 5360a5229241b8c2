// The PC's sockets over Winsock: non-blocking sockets, waits by select in short slices so a stop
// set from another thread ends them at once.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

#include "exchange_stop.h"
#include "net_socket.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr long kSliceMs = 20;
constexpr int kReceiveChunk = 65536;

// Winsock is started once, the first time a socket is wanted, and stays up for the process.
bool WinsockReady() {
    static const bool kReady = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return kReady;
}

NetError ErrorOf(int code) {
    switch (code) {
        case WSAECONNREFUSED:
            return NetError::kRefused;
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAENETDOWN:
            return NetError::kUnreachable;
        case WSAETIMEDOUT:
            return NetError::kTimedOut;
        case WSAEADDRINUSE:
        case WSAEACCES:  // a port another socket holds exclusively
            return NetError::kAddressInUse;
        case WSAEADDRNOTAVAIL:
            return NetError::kAddressNotAvailable;
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return NetError::kClosed;
        default:
            return NetError::kOther;
    }
}

std::string SystemText(int code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result(text ? text : "", length);
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    return result;
}

bool Fail(NetFailure* failure, NetError error, int code) {
    failure->error = error;
    failure->code = code;
    failure->text = code ? SystemText(code) : "";
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
    enum class Ready { kRead, kWrite };
    // Waits until `until`: 1 ready, 0 timed out, -1 stopped or failed (set). A connect that
    // failed is ready too (its error set), so the caller reads SO_ERROR.
    int Wait(Ready kind, Clock::time_point until, const ExchangeStop* stop,
             NetFailure* failure) const;
    bool Open(NetProto kind, NetFailure* failure);

    SOCKET socket = INVALID_SOCKET;
    NetProto proto = NetProto::kTcp;
    bool listening = false;
    bool hasPeer = false;
    bool connected = false;
    sockaddr_in peer{};
};

int NetSocket::Impl::Wait(Ready kind, Clock::time_point until, const ExchangeStop* stop,
                          NetFailure* failure) const {
    for (;;) {
        if (stop && stop->Stopped()) {
            Fail(failure, NetError::kStopped, 0);
            return -1;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        long slice = static_cast<long>(std::clamp<long long>(left, 0, kSliceMs));
        fd_set ready;
        fd_set failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(socket, &ready);
        FD_SET(socket, &failed);
        timeval wait{0, slice * 1000};
        int n = select(0, kind == Ready::kRead ? &ready : nullptr,
                       kind == Ready::kWrite ? &ready : nullptr, &failed, &wait);
        if (n > 0) return 1;
        if (n < 0) {
            FailFromSystem(failure, WSAGetLastError());
            return -1;
        }
        if (left <= 0) return 0;
    }
}

bool NetSocket::Impl::Open(NetProto kind, NetFailure* failure) {
    if (!WinsockReady()) return Fail(failure, NetError::kOther, WSASYSNOTREADY);
    proto = kind;
    socket = ::socket(AF_INET, kind == NetProto::kTcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (socket == INVALID_SOCKET) return FailFromSystem(failure, WSAGetLastError());
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    return true;
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
    return impl_->socket != INVALID_SOCKET;
}

void NetSocket::Close() {
    if (impl_->socket != INVALID_SOCKET) closesocket(impl_->socket);
    *impl_ = Impl{};
}

bool NetSocket::Connect(NetProto proto, const std::string& host, uint16_t port, uint32_t timeoutMs,
                        const ExchangeStop* stop, NetFailure* failure) {
    Close();
    sockaddr_in address{};
    if (!MakeAddress(host, port, &address, failure) || !impl_->Open(proto, failure)) return false;
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (connect(impl_->socket, Generic(address), sizeof address) != 0) {
        int code = WSAGetLastError();
        if (code != WSAEWOULDBLOCK) {
            Close();
            return FailFromSystem(failure, code);
        }
        int ready = impl_->Wait(Impl::Ready::kWrite, until, stop, failure);
        code = WSAETIMEDOUT;
        if (ready == 1) {
            int error = 0;
            int length = sizeof error;
            getsockopt(impl_->socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                       &length);
            code = error;
        }
        if (ready != 1 || code != 0) {
            Close();
            return ready < 0 ? false : FailFromSystem(failure, code);
        }
    }
    if (proto == NetProto::kTcp) {
        BOOL on = TRUE;
        setsockopt(impl_->socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                   sizeof on);
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
    // Nobody else may bind the port while the check holds it.
    BOOL exclusive = TRUE;
    setsockopt(impl_->socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    if (bind(impl_->socket, Generic(address), sizeof address) != 0 ||
        (proto == NetProto::kTcp && listen(impl_->socket, 1) != 0)) {
        int code = WSAGetLastError();
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
        int ready = impl_->Wait(Impl::Ready::kRead, until, stop, failure);
        if (ready < 0) return false;
        if (ready == 0) return Fail(failure, NetError::kTimedOut, WSAETIMEDOUT);
        sockaddr_in from{};
        int length = sizeof from;
        SOCKET accepted = accept(impl_->socket, reinterpret_cast<sockaddr*>(&from), &length);
        if (accepted == INVALID_SOCKET) {
            int code = WSAGetLastError();
            if (code == WSAEWOULDBLOCK || code == WSAECONNRESET) continue;
            return FailFromSystem(failure, code);
        }
        connection->Close();
        u_long nonBlocking = 1;
        ioctlsocket(accepted, FIONBIO, &nonBlocking);
        BOOL on = TRUE;
        setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                   sizeof on);
        connection->impl_->socket = accepted;
        connection->impl_->proto = NetProto::kTcp;
        connection->impl_->peer = from;
        connection->impl_->hasPeer = true;
        connection->impl_->connected = true;
        return true;
    }
}

bool NetSocket::Send(std::string_view bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                     NetFailure* failure) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (impl_->proto == NetProto::kUdp && !impl_->hasPeer)
        return Fail(failure, NetError::kOther, WSAEDESTADDRREQ);
    bool datagram = impl_->proto == NetProto::kUdp;
    while (!bytes.empty()) {
        int size = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 30));
        int n = impl_->connected ? send(impl_->socket, bytes.data(), size, 0)
                                 : sendto(impl_->socket, bytes.data(), size, 0,
                                          Generic(impl_->peer), sizeof impl_->peer);
        if (n >= 0) {
            if (datagram) return true;
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        int code = WSAGetLastError();
        if (code != WSAEWOULDBLOCK && code != WSAENOBUFS) return FailFromSystem(failure, code);
        int ready = impl_->Wait(Impl::Ready::kWrite, until, stop, failure);
        if (ready < 0) return false;
        if (ready == 0) return Fail(failure, NetError::kTimedOut, WSAETIMEDOUT);
    }
    return true;
}

bool NetSocket::Receive(std::string* bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                        NetFailure* failure) {
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int ready = impl_->Wait(Impl::Ready::kRead, until, stop, failure);
    if (ready <= 0) return ready == 0;
    std::string buffer(kReceiveChunk, '\0');
    sockaddr_in from{};
    int length = sizeof from;
    int n = recvfrom(impl_->socket, buffer.data(), kReceiveChunk, 0,
                     reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
        int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK) return true;
        // A datagram's "connection reset" is the port-unreachable answer: nothing listens.
        if (impl_->proto == NetProto::kUdp && code == WSAECONNRESET)
            return Fail(failure, NetError::kRefused, WSAECONNREFUSED);
        return FailFromSystem(failure, code);
    }
    if (n == 0 && impl_->proto == NetProto::kTcp) return Fail(failure, NetError::kClosed, 0);
    if (impl_->proto == NetProto::kUdp && !impl_->hasPeer) {
        impl_->peer = from;
        impl_->hasPeer = true;
    }
    bytes->append(buffer.data(), static_cast<std::size_t>(n));
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
