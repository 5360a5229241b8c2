// The simulator on a real pseudo-terminal, driven through the serial port class.
#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "serial_port.h"
#include "sim_module.h"

namespace {

using std::chrono::milliseconds;

std::chrono::nanoseconds ProcessCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class SimPtyTest : public ::testing::Test {
  protected:
    void Start(SimOptions options) {
        sim = std::make_unique<SimModule>(options);
        ASSERT_EQ(sim->Start(), 0);
        ASSERT_EQ(port.OpenPort(sim->SlavePath().c_str(), 0, 0, true), 0);
    }
    // Sends `text` and returns what comes until `expected`'s length has arrived.
    std::string Ask(const char* text, uint32_t baud, const std::string& expected) {
        Send(text, baud);
        return ReadUntil(expected);
    }
    void Send(const char* text, uint32_t baud) {
        EXPECT_EQ(port.ConfigureLine(baud, 8, 0, 0), 0);
        port.PurgeBuffers();
        EXPECT_EQ(port.WriteString(text, nullptr, nullptr, kInfinite), 0);
    }
    // Sends `text` and returns what came within about `waitMs`: for what must not come yet.
    std::string Talk(const char* text, uint32_t baud, int waitMs = 100) {
        Send(text, baud);
        std::this_thread::sleep_for(milliseconds(waitMs));
        char buffer[512];
        uint32_t count = 0;
        EXPECT_EQ(port.ReadData(buffer, sizeof buffer, &count, nullptr, 300), 0);
        return std::string(buffer, count);
    }
    // What comes until `expected`'s length has arrived or a deadline a loaded machine meets.
    std::string ReadUntil(const std::string& expected) {
        std::string got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < expected.size() && std::chrono::steady_clock::now() < until) {
            char buffer[256];
            uint32_t count = 0;
            EXPECT_EQ(port.ReadData(buffer, sizeof buffer, &count, nullptr, 100), 0);
            got.append(buffer, count);
        }
        return got;
    }
    std::unique_ptr<SimModule> sim;
    CSerial port;
};

TEST_F(SimPtyTest, AnswersOnlyAtItsOwnRate) {
    SimOptions options;
    options.baud = 57600;
    Start(options);
    EXPECT_EQ(Talk("at\r\n", 115200), "");
    EXPECT_EQ(Ask("at\r\n", 57600, "at\r\r\nok\r"), "at\r\r\nok\r");
    EXPECT_EQ(sim->Received(), "at\r\nat\r\n");
}

TEST_F(SimPtyTest, ServesTheNextOpenAfterAClose) {
    Start({});
    EXPECT_EQ(Ask("at\r\n", 115200, "at\r\r\nok\r"), "at\r\r\nok\r");
    port.ClosePort();
    ASSERT_EQ(port.OpenPort(sim->SlavePath().c_str(), 0, 0, true), 0);
    EXPECT_EQ(Ask("at+mode=?\r\n", 115200, "at+mode=?\r\r\nserver\r"), "at+mode=?\r\r\nserver\r");
}

TEST_F(SimPtyTest, PacesItsOutputAtTheLineRate) {
    SimOptions options;
    options.baud = 1200;  // 120 bytes a second
    Start(options);
    std::string early = Talk("at+dhcpd_ip=?\r\n", 1200, 100);
    EXPECT_LT(early.size(), 30u);  // 84 bytes of answer take 700 ms
    const std::string answer =
        "at+dhcpd_ip=?\r\r\n192.168.16.100,192.168.16.200,255.255.255.0,192.168.16.254\r";
    EXPECT_EQ(early + ReadUntil(answer.substr(early.size())), answer);
}

TEST_F(SimPtyTest, AnAnswerDelayEchoesAtOnceAndAnswersLate) {
    SimOptions options;
    options.answerDelayMs = 600;
    Start(options);
    EXPECT_EQ(Ask("at+mode=?\r\n", 115200, "at+mode=?"), "at+mode=?");
    EXPECT_EQ(ReadUntil("\r\r\nserver\r"), "\r\r\nserver\r");
}

TEST_F(SimPtyTest, TransparentModeIgnoresCommandsUntilEscaped) {
    SimOptions options;
    options.escapeGuardMs = 100;
    Start(options);
    EXPECT_EQ(Ask("at+reconn=1\r\n", 115200, "at+reconn=1\r\r\nok\r"), "at+reconn=1\r\r\nok\r");
    EXPECT_TRUE(sim->Transparent());
    EXPECT_EQ(Talk("at\r\n", 115200, 200), "");
    EXPECT_EQ(Ask("+++", 115200, "\r\nok\r\n"), "\r\nok\r\n");
    EXPECT_FALSE(sim->Transparent());
    EXPECT_EQ(Ask("at\r\n", 115200, "at\r\r\nok\r"), "at\r\r\nok\r");
}

TEST_F(SimPtyTest, TransparentModeCanEndByItself) {
    SimOptions options;
    options.transparentReturnMs = 1000;
    Start(options);
    EXPECT_EQ(Ask("at+reconn=1\r\n", 115200, "at+reconn=1\r\r\nok\r"), "at+reconn=1\r\r\nok\r");
    EXPECT_TRUE(sim->Transparent());
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sim->Transparent() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(milliseconds(20));
    EXPECT_FALSE(sim->Transparent());
}

TEST_F(SimPtyTest, FloodKeepsComing) {
    SimOptions options;
    options.fault = SimFault::kFlood;
    options.floodBytes = 5000;
    options.pace = false;
    Start(options);
    std::string reply = Talk("at\r\n", 115200);
    EXPECT_TRUE(reply.starts_with("at\r\r\nok\r"));
    EXPECT_GT(reply.size(), 100u);
}

TEST_F(SimPtyTest, FullLineWaitsWithoutSpinning) {
    SimOptions options;
    options.fault = SimFault::kFlood;
    options.pace = false;
    Start(options);
    Talk("at\r\n", 115200, 100);  // the flood fills the line; nobody reads it
    auto cpuBefore = ProcessCpuTime();
    std::this_thread::sleep_for(milliseconds(1000));
    // A simulator that waits for room uses next to nothing; one that retries burns the second.
    EXPECT_LT(ProcessCpuTime() - cpuBefore, milliseconds(250));
}

TEST_F(SimPtyTest, DelayedAnswerComesLate) {
    SimOptions options;
    options.fault = SimFault::kDelay;
    options.faultDelayMs = 400;
    Start(options);
    EXPECT_EQ(Talk("at\r\n", 115200, 50), "");
    EXPECT_EQ(ReadUntil("at\r\r\nok\r"), "at\r\r\nok\r");
}

}  // namespace
