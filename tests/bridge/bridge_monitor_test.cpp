// Both ends of the bridge held open: the serial side on a pseudo-terminal, the network side on
// 127.0.0.1, each read continuously, every byte counted, what waits for the caller bounded, and
// each way a side can fail told in its status.
#include "bridge_monitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "loopback_socket.h"
#include "pty_pair.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr milliseconds kDeadline{5000};  // generous: a loaded machine

// Takes from a side until `done` holds for what was taken so far, or the deadline passes.
template <typename Take, typename Done>
SideTake TakeUntil(Take take, Done done) {
    SideTake all;
    const auto until = Clock::now() + kDeadline;
    for (;;) {
        SideTake next = take();
        for (TrafficChunk& chunk : next.chunks) all.chunks.push_back(std::move(chunk));
        all.skipped += next.skipped;
        all.sent = next.sent;
        all.received = next.received;
        all.status = next.status;
        if (done(all) || Clock::now() > until) return all;
        std::this_thread::sleep_for(milliseconds(5));
    }
}

std::string Bytes(const SideTake& take, TrafficWay way) {
    std::string bytes;
    for (const TrafficChunk& chunk : take.chunks)
        if (chunk.way == way) bytes += chunk.bytes;
    return bytes;
}

void WriteAll(int fd, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        ASSERT_GT(n, 0);
        at += static_cast<std::size_t>(n);
    }
}

BridgeEndpoint ServerAt(uint16_t port) {
    BridgeEndpoint endpoint;
    endpoint.host = "127.0.0.1";
    endpoint.port = port;
    return endpoint;
}

}  // namespace

TEST(BridgeMonitorTest, SerialSideCarriesAndCountsBothWays) {
    PtyPair pty;
    BridgeMonitor monitor;
    monitor.OpenSerial({pty.path, 115200});
    SideTake take =
        TakeUntil([&] { return monitor.TakeSerial(); },
                  [](const SideTake& t) { return t.status.state != SideState::kOpening; });
    ASSERT_EQ(take.status.state, SideState::kOpen) << take.status.text;
    EXPECT_EQ(take.status.text, pty.path + " at 115200 baud");

    WriteAll(pty.master, "from the module\r\n");
    ASSERT_TRUE(monitor.SendSerial("at\r\n"));
    take = TakeUntil([&] { return monitor.TakeSerial(); },
                     [](const SideTake& t) { return t.received == 17 && t.sent == 4; });
    EXPECT_EQ(Bytes(take, TrafficWay::kReceived), "from the module\r\n");
    EXPECT_EQ(Bytes(take, TrafficWay::kSent), "at\r\n");
    std::string atMaster;
    const auto until = Clock::now() + kDeadline;
    while (atMaster.size() < 4 && Clock::now() < until) atMaster += pty.ReadMaster();
    EXPECT_EQ(atMaster, "at\r\n");

    // Closed, the port is free again at once and nothing more is queued.
    monitor.CloseSerial();
    EXPECT_EQ(monitor.SerialStatus().state, SideState::kClosed);
    EXPECT_FALSE(monitor.SendSerial("lost"));
}

TEST(BridgeMonitorTest, WhatNobodyTakesIsBoundedAndStillCounted) {
    PtyPair pty;
    BridgeMonitor monitor(1000);
    monitor.OpenSerial({pty.path, 115200});
    TakeUntil([&] { return monitor.TakeSerial(); },
              [](const SideTake& t) { return t.status.state == SideState::kOpen; });
    std::string flood;
    for (int line = 0; flood.size() < 256 * 1024; ++line)
        flood += "line " + std::to_string(line) + "\n";
    // Returns once the side's thread has read all but what the pseudo-terminal holds.
    WriteAll(pty.master, flood);
    const SideTake first = monitor.TakeSerial();
    SideTake all = TakeUntil([&] { return monitor.TakeSerial(); },
                             [&](const SideTake& t) { return t.received == flood.size(); });
    EXPECT_EQ(all.received, flood.size());
    std::size_t kept = 0;
    for (const TrafficChunk& chunk : first.chunks) kept += chunk.bytes.size();
    EXPECT_LE(kept, 1000u);
    EXPECT_GT(first.skipped, 0u);
    // Every byte is either shown or counted as gone by unshown, and the last ones are shown.
    const std::string shown =
        Bytes(first, TrafficWay::kReceived) + Bytes(all, TrafficWay::kReceived);
    EXPECT_EQ(shown.size() + first.skipped + all.skipped, flood.size());
    ASSERT_GE(shown.size(), 8u);
    EXPECT_TRUE(flood.ends_with(shown.substr(shown.size() - 8)));
}

TEST(BridgeMonitorTest, PendingBoundKeepsTheNewestBytes) {
    MonitorSide side(10);
    side.Record(TrafficWay::kReceived, "0123456789");
    side.Record(TrafficWay::kSent, "abcd");
    side.Record(TrafficWay::kReceived, "XY");
    SideTake take = side.Take();
    ASSERT_EQ(take.chunks.size(), 3u);
    EXPECT_EQ(take.chunks[0].bytes, "6789");
    EXPECT_EQ(take.chunks[1].bytes, "abcd");
    EXPECT_EQ(take.skipped, 6u);
    EXPECT_EQ(take.received, 12u);
    EXPECT_EQ(take.sent, 4u);
    take = side.Take();
    EXPECT_TRUE(take.chunks.empty());
    EXPECT_EQ(take.skipped, 0u);
    EXPECT_EQ(take.received, 12u);
}

// A take never counts a byte it neither shows nor reports as skipped, even while the side's
// thread is recording: the window reads counters and chunks as one.
TEST(BridgeMonitorTest, EveryTakeAccountsForEachByteItCounts) {
    MonitorSide side(64);
    constexpr std::size_t kChunks = 20000;
    std::thread recorder([&] {
        for (std::size_t i = 0; i < kChunks; ++i) side.Record(TrafficWay::kReceived, "0123456789");
    });
    uint64_t accounted = 0;
    SideTake take;
    do {
        take = side.Take();
        accounted += take.skipped + Bytes(take, TrafficWay::kReceived).size();
        ASSERT_EQ(accounted, take.received);
    } while (take.received < kChunks * 10);
    recorder.join();
}

TEST(BridgeMonitorTest, SerialFailuresAreToldAndTheSideCanOpenAgain) {
    BridgeMonitor monitor;
    monitor.OpenSerial({"/dev/qn7-no-such-port", 115200});
    SideTake take =
        TakeUntil([&] { return monitor.TakeSerial(); },
                  [](const SideTake& t) { return t.status.state == SideState::kFailed; });
    EXPECT_EQ(take.status.state, SideState::kFailed);
    EXPECT_NE(take.status.text.find("Unable to open COM-port (error code 2)"), std::string::npos)
        << take.status.text;

    // Unplugged while open: the read fails and the status says how.
    PtyPair pty;
    monitor.OpenSerial({pty.path, 115200});
    TakeUntil([&] { return monitor.TakeSerial(); },
              [](const SideTake& t) { return t.status.state == SideState::kOpen; });
    pty.CloseMaster();
    take = TakeUntil([&] { return monitor.TakeSerial(); },
                     [](const SideTake& t) { return t.status.state == SideState::kFailed; });
    EXPECT_EQ(take.status.state, SideState::kFailed);
    EXPECT_NE(take.status.text.find("Unable to read data"), std::string::npos) << take.status.text;
}

TEST(BridgeMonitorTest, NetworkSideConnectsCarriesAndTellsTheClose) {
    const uint16_t port = LoopbackSocket::FreePort();
    LoopbackSocket module = LoopbackSocket::TcpListen(port);
    BridgeMonitor monitor;
    EXPECT_FALSE(monitor.SendNetwork("too early"));
    monitor.OpenNetwork(ServerAt(port), 5000);
    LoopbackSocket peer = module.Accept(kDeadline);
    ASSERT_TRUE(peer.Valid());
    SideTake take = TakeUntil([&] { return monitor.TakeNetwork(); },
                              [](const SideTake& t) { return t.status.state == SideState::kOpen; });
    EXPECT_EQ(take.status.text, "connected to 127.0.0.1:" + std::to_string(port));

    ASSERT_TRUE(peer.Send("from the module"));
    ASSERT_TRUE(monitor.SendNetwork("from the PC"));
    EXPECT_EQ(peer.Receive(11, kDeadline), "from the PC");
    take = TakeUntil([&] { return monitor.TakeNetwork(); },
                     [](const SideTake& t) { return t.received == 15 && t.sent == 11; });
    EXPECT_EQ(Bytes(take, TrafficWay::kReceived), "from the module");
    EXPECT_EQ(take.sent, 11u);

    peer.Close();
    take = TakeUntil([&] { return monitor.TakeNetwork(); },
                     [](const SideTake& t) { return t.status.state == SideState::kFailed; });
    EXPECT_EQ(take.status.text, "the module closed the connection");
}

TEST(BridgeMonitorTest, NetworkSideRefusedAndListeningAreTold) {
    const uint16_t port = LoopbackSocket::FreePort();
    BridgeMonitor monitor;
    monitor.OpenNetwork(ServerAt(port), 300);
    SideTake take =
        TakeUntil([&] { return monitor.TakeNetwork(); },
                  [](const SideTake& t) { return t.status.state == SideState::kFailed; });
    EXPECT_NE(take.status.text.find("refused the connection: nothing listens there"),
              std::string::npos)
        << take.status.text;

    // A module that is a client: the PC listens, and the status says where until it comes.
    BridgeEndpoint client = ServerAt(port);
    client.role = ModuleRole::kClient;
    monitor.OpenNetwork(client, 5000);
    EXPECT_EQ(monitor.NetworkStatus().text, "listening on 127.0.0.1:" + std::to_string(port));
    LoopbackSocket module = LoopbackSocket::TcpConnect(port, kDeadline);
    ASSERT_TRUE(module.Valid());
    take = TakeUntil([&] { return monitor.TakeNetwork(); },
                     [](const SideTake& t) { return t.status.state == SideState::kOpen; });
    EXPECT_EQ(take.status.text.rfind("connected to 127.0.0.1:", 0), 0u) << take.status.text;
    monitor.CloseNetwork();
    EXPECT_EQ(monitor.NetworkStatus().state, SideState::kClosed);
    EXPECT_TRUE(module.PeerClosed(kDeadline));
}
