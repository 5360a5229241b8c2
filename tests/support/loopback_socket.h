// Sockets on 127.0.0.1 for the tests, the network peer of a simulated module or of qn7cfg
// bridge. Every wait has a deadline; nothing here touches an address beyond the loopback.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class LoopbackSocket {
  public:
    using Millis = std::chrono::milliseconds;

    // A port that nothing on 127.0.0.1 uses at this moment, for TCP or UDP.
    static uint16_t FreePort(bool udp = false);
    static LoopbackSocket TcpListen(uint16_t port);
    // Connects to 127.0.0.1:port, trying again until it succeeds or the deadline passes.
    static LoopbackSocket TcpConnect(uint16_t port, Millis deadline);
    // One attempt; on failure the socket is invalid and ConnectError() says why (an errno value).
    static LoopbackSocket TcpConnectOnce(uint16_t port);
    static LoopbackSocket UdpBind(uint16_t port = 0);

    LoopbackSocket() = default;
    ~LoopbackSocket();
    LoopbackSocket(LoopbackSocket&& other) noexcept;
    LoopbackSocket& operator=(LoopbackSocket&& other) noexcept;

    bool Valid() const { return fd_ >= 0; }
    int ConnectError() const { return connectError_; }
    uint16_t LocalPort() const;
    uint16_t PeerPort() const;
    void Close();

    LoopbackSocket Accept(Millis deadline);
    bool Send(std::string_view bytes);
    bool SendTo(std::string_view bytes, uint16_t port);
    // Stream: reads until `count` bytes have come, the peer closed, or the deadline passed.
    std::string Receive(std::size_t count, Millis deadline);
    // Datagram: the next one, with its sender's port.
    std::optional<std::string> ReceiveDatagram(Millis deadline, uint16_t* fromPort = nullptr);
    // True once the peer has closed the connection (reading on to its end), before the deadline.
    bool PeerClosed(Millis deadline);

  private:
    explicit LoopbackSocket(int fd) : fd_(fd) {}
    bool WaitReadable(std::chrono::steady_clock::time_point until) const;

    int fd_ = -1;
    int connectError_ = 0;
};
