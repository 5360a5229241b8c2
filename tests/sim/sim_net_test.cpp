// The simulator's network side on real sockets on 127.0.0.1: each role, packing, the escape and
// every bridge fault, driven through the serial port class as the tool drives it.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "loopback_socket.h"
#include "serial_port.h"
#include "sim_module.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr milliseconds kDeadline{5000};  // generous: a loaded machine
constexpr uint32_t kBaud = 115200;

class SimNetTest : public ::testing::Test {
  protected:
    void Start(SimOptions options = {}) {
        options.escapeGuardMs = std::min<uint32_t>(options.escapeGuardMs, 200);
        options.clientRetryMs = std::min<uint32_t>(options.clientRetryMs, 50);
        sim = std::make_unique<SimModule>(options);
        ASSERT_EQ(sim->Start(), 0);
        ASSERT_EQ(port.OpenPort(sim->SlavePath().c_str(), 0, 0, true), 0);
        ASSERT_EQ(port.ConfigureLine(kBaud, 8, 0, 0), 0);
    }
    // Sets the module and puts it into transparent mode.
    void Enter(const std::map<std::string, std::string>& settings) {
        for (const auto& [key, value] : settings) {
            std::string line = "at+" + key + "=" + value + "\r\n";
            ASSERT_EQ(ReadUntil(line, "ok\r"), line.substr(0, line.size() - 2) + "\r\r\nok\r");
        }
        ASSERT_EQ(ReadUntil("at+reconn=1\r\n", "ok\r"), "at+reconn=1\r\r\nok\r");
        ASSERT_TRUE(sim->Transparent());
    }
    std::string ReadUntil(const std::string& write, const std::string& end) {
        Write(write);
        std::string reply;
        auto until = Clock::now() + kDeadline;
        while (!reply.ends_with(end) && Clock::now() < until) reply += ReadSome();
        return reply;
    }
    void Write(std::string_view bytes) {
        uint32_t written = 0;
        EXPECT_EQ(port.WriteData(bytes.data(), static_cast<uint32_t>(bytes.size()), &written,
                                 nullptr, kInfinite),
                  0);
    }
    std::string ReadSome() {
        std::this_thread::sleep_for(milliseconds(5));
        char buffer[4096];
        uint32_t count = 0;
        EXPECT_EQ(port.ReadData(buffer, sizeof buffer, &count, nullptr, 0), 0);
        return std::string(buffer, count);
    }
    // Serial bytes until `count` have come or the deadline passed.
    std::string ReadSerial(std::size_t count, milliseconds deadline = kDeadline) {
        std::string read;
        auto until = Clock::now() + deadline;
        while (read.size() < count && Clock::now() < until) read += ReadSome();
        return read;
    }
    void Escape() {
        std::this_thread::sleep_for(milliseconds(300));
        EXPECT_EQ(ReadUntil("+++", "ok\r\n"), "\r\nok\r\n");
        EXPECT_FALSE(sim->Transparent());
    }

    std::unique_ptr<SimModule> sim;
    CSerial port;
};

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 26);
    return bytes;
}

TEST_F(SimNetTest, TcpServerCarriesBothWaysAndTakesOnePeerAtATime) {
    Start();
    uint16_t remotePort = LoopbackSocket::FreePort();
    Enter({{"remoteport", std::to_string(remotePort)}});
    LoopbackSocket peer = LoopbackSocket::TcpConnect(remotePort, kDeadline);
    ASSERT_TRUE(peer.Valid());
    ASSERT_TRUE(peer.Send("from the network"));
    EXPECT_EQ(ReadSerial(16), "from the network");
    Write("from the serial line");
    EXPECT_EQ(peer.Receive(20, kDeadline), "from the serial line");
    LoopbackSocket second = LoopbackSocket::TcpConnectOnce(remotePort);
    ASSERT_TRUE(second.Valid());
    EXPECT_TRUE(second.PeerClosed(kDeadline));  // turned away while the first is served
    Write("still the first");
    EXPECT_EQ(peer.Receive(15, kDeadline), "still the first");
}

TEST_F(SimNetTest, TcpClientConnectsFromItsLocalPortAndRetries) {
    Start();
    uint16_t remotePort = LoopbackSocket::FreePort();
    uint16_t localPort = LoopbackSocket::FreePort();
    Enter({{"mode", "client"},
           {"remoteip", "127.0.0.1"},
           {"remoteport", std::to_string(remotePort)},
           {"CLport", std::to_string(localPort)}});
    std::this_thread::sleep_for(milliseconds(200));  // nobody listens yet: it must try again
    LoopbackSocket listener = LoopbackSocket::TcpListen(remotePort);
    ASSERT_TRUE(listener.Valid());
    LoopbackSocket peer = listener.Accept(kDeadline);
    ASSERT_TRUE(peer.Valid());
    EXPECT_EQ(peer.PeerPort(), localPort);
    Write("up");
    EXPECT_EQ(peer.Receive(2, kDeadline), "up");
    ASSERT_TRUE(peer.Send("down"));
    EXPECT_EQ(ReadSerial(4), "down");
}

TEST_F(SimNetTest, ClientReachesNothingBeyondTheLoopback) {
    Start();
    Enter({{"mode", "client"}, {"remoteip", "192.0.2.1"}, {"remoteport", "9"}});
    Write("nowhere");  // dropped: the module has no connection
    std::this_thread::sleep_for(milliseconds(200));
    Escape();
    EXPECT_EQ(ReadUntil("at\r\n", "ok\r"), "at\r\r\nok\r");
}

TEST_F(SimNetTest, UdpServerAnswersTheLastSender) {
    Start();
    uint16_t remotePort = LoopbackSocket::FreePort(true);
    Enter({{"remotepro", "udp"}, {"remoteport", std::to_string(remotePort)}});
    LoopbackSocket first = LoopbackSocket::UdpBind();
    LoopbackSocket second = LoopbackSocket::UdpBind();
    ASSERT_TRUE(first.SendTo("one", remotePort));
    EXPECT_EQ(ReadSerial(3), "one");
    ASSERT_TRUE(second.SendTo("two", remotePort));
    EXPECT_EQ(ReadSerial(3), "two");
    Write("reply");
    EXPECT_EQ(second.ReceiveDatagram(kDeadline), "reply");
    EXPECT_FALSE(first.ReceiveDatagram(milliseconds(100)));
}

TEST_F(SimNetTest, UdpClientSendsToItsRemoteFromItsLocalPort) {
    Start();
    LoopbackSocket peer = LoopbackSocket::UdpBind();
    uint16_t localPort = LoopbackSocket::FreePort(true);
    Enter({{"remotepro", "udp"},
           {"mode", "client"},
           {"remoteip", "127.0.0.1"},
           {"remoteport", std::to_string(peer.LocalPort())},
           {"CLport", std::to_string(localPort)}});
    Write("hello");
    uint16_t from = 0;
    EXPECT_EQ(peer.ReceiveDatagram(kDeadline, &from), "hello");
    EXPECT_EQ(from, localPort);
    ASSERT_TRUE(peer.SendTo("back", localPort));
    EXPECT_EQ(ReadSerial(4), "back");
}

TEST_F(SimNetTest, PacksByLengthAndByQuietTime) {
    Start();
    LoopbackSocket peer = LoopbackSocket::UdpBind();
    Enter({{"remotepro", "udp"},
           {"mode", "client"},
           {"remoteip", "127.0.0.1"},
           {"remoteport", std::to_string(peer.LocalPort())},
           {"uartpacklen", "8"},
           {"uartpacktimeout", "300"}});
    auto written = Clock::now();
    Write("0123456789ABCDEFxyz");
    EXPECT_EQ(peer.ReceiveDatagram(kDeadline), "01234567");
    EXPECT_EQ(peer.ReceiveDatagram(kDeadline), "89ABCDEF");
    EXPECT_EQ(peer.ReceiveDatagram(kDeadline), "xyz");  // the rest, once the line was quiet
    EXPECT_GE(Clock::now() - written, milliseconds(300));
}

TEST_F(SimNetTest, SerialSideRunsAtTheLineRate) {
    SimOptions options;
    options.baud = 9600;  // 960 bytes a second
    Start(options);
    ASSERT_EQ(port.ConfigureLine(9600, 8, 0, 0), 0);
    LoopbackSocket peer = LoopbackSocket::UdpBind();
    Enter({{"remotepro", "udp"},
           {"mode", "client"},
           {"remoteip", "127.0.0.1"},
           {"remoteport", std::to_string(peer.LocalPort())}});
    auto start = Clock::now();
    Write(Pattern(960));
    std::string carried;
    while (carried.size() < 960) {
        auto datagram = peer.ReceiveDatagram(kDeadline);
        ASSERT_TRUE(datagram);
        carried += *datagram;
    }
    EXPECT_EQ(carried, Pattern(960));
    EXPECT_GE(Clock::now() - start, milliseconds(900));  // a second of line time, not at once
}

TEST_F(SimNetTest, EscapeIsNotCarriedAndClosesTheNetworkSide) {
    Start();
    uint16_t remotePort = LoopbackSocket::FreePort();
    Enter({{"remoteport", std::to_string(remotePort)}});
    LoopbackSocket peer = LoopbackSocket::TcpConnect(remotePort, kDeadline);
    ASSERT_TRUE(peer.Valid());
    Write("data");
    EXPECT_EQ(peer.Receive(4, kDeadline), "data");
    Escape();
    EXPECT_TRUE(peer.PeerClosed(kDeadline));  // and nothing of "+++" came before the close
    EXPECT_EQ(ReadUntil("at+mode=?\r\n", "\r"), "at+mode=?\r\r\nserver\r");
    EXPECT_EQ(LoopbackSocket::TcpConnectOnce(remotePort).ConnectError(), ECONNREFUSED);
}

TEST_F(SimNetTest, LeavingByItselfClosesTheNetworkSide) {
    SimOptions options;
    options.transparentReturnMs = 500;
    Start(options);
    uint16_t remotePort = LoopbackSocket::FreePort();
    Enter({{"remoteport", std::to_string(remotePort)}});
    LoopbackSocket peer = LoopbackSocket::TcpConnect(remotePort, kDeadline);
    ASSERT_TRUE(peer.Valid());
    EXPECT_TRUE(peer.PeerClosed(kDeadline));
    EXPECT_EQ(ReadSerial(6), "\r\nok\r\n");
}

// The bridge faults, each seen from the network peer of a TCP server.
class SimBridgeFaultTest : public SimNetTest {
  protected:
    LoopbackSocket StartWith(SimOptions options) {
        Start(options);
        uint16_t remotePort = LoopbackSocket::FreePort();
        Enter({{"remoteport", std::to_string(remotePort)}});
        return LoopbackSocket::TcpConnectOnce(remotePort);  // the module listens from the "ok"
    }
};

TEST_F(SimBridgeFaultTest, DropLosesEveryNthByteOneWay) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kDrop;
    options.bridgeFaultEvery = 100;
    options.bridgeFaultDirection = FaultDirection::kToNetwork;
    LoopbackSocket peer = StartWith(options);
    ASSERT_TRUE(peer.Valid());
    Write(Pattern(1000));
    std::string carried = peer.Receive(990, kDeadline);
    EXPECT_EQ(carried.size(), 990u);
    EXPECT_EQ(carried.substr(0, 99), Pattern(99));
    EXPECT_EQ(peer.Receive(1, milliseconds(200)), "");  // ten bytes lost
    ASSERT_TRUE(peer.Send(Pattern(1000)));              // the other way is whole
    EXPECT_EQ(ReadSerial(1000), Pattern(1000));
}

TEST_F(SimBridgeFaultTest, CorruptChangesBytesInPlace) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kCorrupt;
    options.bridgeFaultEvery = 100;
    LoopbackSocket peer = StartWith(options);
    ASSERT_TRUE(peer.Valid());
    ASSERT_TRUE(peer.Send(Pattern(1000)));
    std::string carried = ReadSerial(1000);
    ASSERT_EQ(carried.size(), 1000u);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < carried.size(); ++i) changed += carried[i] != Pattern(1000)[i];
    EXPECT_EQ(changed, 10u);
}

TEST_F(SimBridgeFaultTest, DelayCarriesLate) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kDelay;
    options.bridgeDelayMs = 400;
    LoopbackSocket peer = StartWith(options);
    ASSERT_TRUE(peer.Valid());
    auto sent = Clock::now();
    ASSERT_TRUE(peer.Send("late"));
    EXPECT_EQ(ReadSerial(4), "late");
    EXPECT_GE(Clock::now() - sent, milliseconds(400));
}

TEST_F(SimBridgeFaultTest, ReorderSwapsPackets) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kReorder;
    options.bridgeFaultEvery = 128;
    options.bridgeFaultDirection = FaultDirection::kToNetwork;
    LoopbackSocket peer = StartWith(options);
    ASSERT_TRUE(peer.Valid());
    std::string sent = Pattern(256);
    Write(sent);
    std::string carried = peer.Receive(256, kDeadline);
    ASSERT_EQ(carried.size(), 256u);
    // Packets of 64: the second (bytes 64 to 127, reaching byte 128) comes after the third.
    EXPECT_EQ(carried, sent.substr(0, 64) + sent.substr(128, 64) + sent.substr(64, 64) +
                           sent.substr(192, 64));
}

TEST_F(SimBridgeFaultTest, RefuseOpensNothing) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kRefuse;
    LoopbackSocket peer = StartWith(options);
    EXPECT_FALSE(peer.Valid());
    EXPECT_EQ(peer.ConnectError(), ECONNREFUSED);
    EXPECT_TRUE(sim->Transparent());
}

TEST_F(SimBridgeFaultTest, DisconnectAfterNBytes) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kDisconnect;
    options.disconnectAfterBytes = 300;
    LoopbackSocket peer = StartWith(options);
    ASSERT_TRUE(peer.Valid());
    ASSERT_TRUE(peer.Send(Pattern(100)));
    EXPECT_EQ(ReadSerial(100), Pattern(100));
    Write(Pattern(500));
    EXPECT_EQ(peer.Receive(500, kDeadline), Pattern(200));  // 300 carried in all, then closed
    EXPECT_TRUE(peer.PeerClosed(kDeadline));
}

TEST_F(SimNetTest, AnswersItsNetworkAddress) {
    SimOptions options;
    options.netAddr = "127.0.0.3";
    Start(options);
    EXPECT_EQ(ReadUntil("at+net_wanip=?\r\n", "127.0.0.3\r"), "at+net_wanip=?\r\r\n127.0.0.3\r");
}

}  // namespace
