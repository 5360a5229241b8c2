// A socket on the PC's side of the bridge, IPv4, TCP or UDP, over the system's sockets (POSIX or
// Winsock). Every wait has a deadline and ends early once the given stop is set, so a socket
// never holds a check, a window or a signal up. Failures come back as values that tell refused,
// unreachable, timed out and address in use apart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class ExchangeStop;

enum class NetProto { kTcp, kUdp };

enum class NetError {
    kNone,
    kRefused,              // nothing listens there (TCP reset, UDP port unreachable)
    kUnreachable,          // no route to the address
    kTimedOut,             // the deadline passed first
    kAddressInUse,         // the local port is taken
    kAddressNotAvailable,  // the local address is not one of this PC's
    kBadAddress,           // not a dotted IPv4 address, or port 0
    kClosed,               // the peer closed the connection
    kStopped,              // the stop was set
    kOther,
};

struct NetFailure {
    NetError error = NetError::kNone;
    int code = 0;      // the system's error number (errno, WSA error), 0 when none
    std::string text;  // the system's account of it
};

class NetSocket {
  public:
    NetSocket();
    ~NetSocket();
    NetSocket(NetSocket&& other) noexcept;
    NetSocket& operator=(NetSocket&& other) noexcept;

    // TCP: connects to host:port within `timeoutMs`. UDP: a socket whose peer is host:port
    // (datagrams go there; a port nobody has open is reported as refused on the next receive).
    bool Connect(NetProto proto, const std::string& host, uint16_t port, uint32_t timeoutMs,
                 const ExchangeStop* stop, NetFailure* failure);
    // TCP: listens on host:port. UDP: binds it, and takes as its peer whoever sends first.
    bool Listen(NetProto proto, const std::string& host, uint16_t port, NetFailure* failure);
    // TCP, a listening socket: the first connection within `timeoutMs`.
    bool Accept(NetSocket* connection, uint32_t timeoutMs, const ExchangeStop* stop,
                NetFailure* failure);

    // Sends all of `bytes` within `timeoutMs` (UDP: one datagram, to the peer).
    bool Send(std::string_view bytes, uint32_t timeoutMs, const ExchangeStop* stop,
              NetFailure* failure);
    // Waits at most `timeoutMs` for data and appends what came (UDP: one datagram). True with
    // nothing appended when the time passed; false on a failure, the peer's close included.
    bool Receive(std::string* bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                 NetFailure* failure);
    // UDP: whether a peer is known (connected, or learned from a datagram).
    bool HasPeer() const;
    // "127.0.0.1:8080" of the peer, empty when none.
    std::string PeerText() const;
    bool IsOpen() const;
    void Close();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// "refused", "timed out" … for messages.
constexpr std::string_view NetErrorName(NetError error) {
    switch (error) {
        case NetError::kNone:
            return "no error";
        case NetError::kRefused:
            return "refused";
        case NetError::kUnreachable:
            return "unreachable";
        case NetError::kTimedOut:
            return "timed out";
        case NetError::kAddressInUse:
            return "address in use";
        case NetError::kAddressNotAvailable:
            return "address not available";
        case NetError::kBadAddress:
            return "bad address";
        case NetError::kClosed:
            return "connection closed";
        case NetError::kStopped:
            return "stopped";
        case NetError::kOther:
            break;
    }
    return "failed";
}
