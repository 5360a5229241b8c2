#include "serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "process_probe.h"
#include "pty_pair.h"

namespace {

using Clock = std::chrono::steady_clock;

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(pty.path.empty()); }
    void Open(bool overlapped = true) {
        ASSERT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, overlapped), 0) << port.LastErrorText();
    }
    PtyPair pty;
    CSerial port;
};

TEST(SerialPortClosed, EveryOperationFailsWithInvalidHandle) {
    CSerial port;
    char buffer[8];
    uint32_t count = 99;
    SerialOverlapped overlapped;
    const std::vector<std::function<int32_t()>> operations = {
        [&] { return port.ConfigureLine(9600, 8, 0, 0); },
        [&] { return port.SetEventChar('\n', true); },
        [&] { return port.SetEventMask(EV_RXCHAR); },
        [&] { return port.WaitForEvent(nullptr, 10); },
        [&] { return port.SetFlowControl(0); },
        [&] { return port.SetReadMode(0); },
        [&] { return port.WriteString("at", nullptr, nullptr, kInfinite); },
        [&] { return port.WriteData("at", 2, &count, &overlapped, 10); },
        [&] { return port.ReadData(buffer, 8, &count, nullptr, kInfinite); },
        [&] { return port.PurgeBuffers(); },
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        count = 99;
        EXPECT_EQ(operations[i](), kErrorInvalidHandle) << "operation " << i;
        EXPECT_EQ(port.LastError(), kErrorInvalidHandle) << "operation " << i;
    }
    for (auto transfer : {operations[7], operations[8]}) {
        count = 99;
        transfer();
        EXPECT_EQ(count, 0u);  // the caller's counter is cleared even on a closed port
    }
    const std::vector<std::function<int32_t()>> getters = {
        [&] { return port.GetBaudRate(); },    [&] { return port.GetDataBits(); },
        [&] { return port.GetParity(); },      [&] { return port.GetStopBits(); },
        [&] { return port.GetFlowControl(); },
    };
    for (const auto& getter : getters) {
        EXPECT_EQ(getter(), -1);
        EXPECT_EQ(port.LastError(), kErrorInvalidHandle);
    }
    EXPECT_EQ(port.GetEventMask(), 0u);
    EXPECT_EQ(port.LastError(), kErrorInvalidHandle);
    EXPECT_EQ(port.GetEventChar(), 0);
    EXPECT_EQ(port.LastError(), kErrorInvalidHandle);
    EXPECT_EQ(port.ClosePort(), 0);
    EXPECT_EQ(port.LastError(), 0);
}

TEST(SerialPortOpen, MissingDeviceLeavesThePortClosedAndReusable) {
    CSerial port;
    EXPECT_EQ(port.OpenPort("/dev/ttyQN7-does-not-exist", 0, 0, true), kErrorFileNotFound);
    EXPECT_FALSE(port.LastErrorText().empty());
    EXPECT_EQ(port.GetBaudRate(), -1);
    EXPECT_EQ(port.LastError(), kErrorInvalidHandle);
    PtyPair pty;
    EXPECT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, true), 0);
}

TEST(SerialPortOpen, NonTerminalIsRefused) {
    CSerial port;
    EXPECT_EQ(port.OpenPort("/dev/null", 0, 0, true), kErrorNotSupported);
}

TEST_F(SerialPortTest, OpenSetsMaskAndNonBlockingReads) {
    Open();
    EXPECT_EQ(port.GetEventMask(), CSerial::kOpenEventMask);
    EXPECT_EQ(CSerial::kOpenEventMask, 193u);
    char buffer[16];
    uint32_t count = 5;
    auto start = Clock::now();
    EXPECT_EQ(port.ReadData(buffer, sizeof buffer, &count, nullptr, 5000), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));  // did not wait for the time-out
    ASSERT_EQ(write(pty.master, "hello", 5), 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(port.ReadData(buffer, sizeof buffer, &count, nullptr, 300), 0);
    EXPECT_EQ(std::string(buffer, count), "hello");
}

TEST_F(SerialPortTest, SecondOpenOfTheSameObjectKeepsTheFirst) {
    Open();
    EXPECT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, true), kErrorAlreadyInitialized);
    EXPECT_EQ(port.WriteString("ok", nullptr, nullptr, kInfinite), 0);
    EXPECT_EQ(pty.ReadMaster(), "ok");
}

TEST_F(SerialPortTest, SecondObjectOnTheSamePathGetsTheBusyCode) {
    Open();
    CSerial other;
    auto start = Clock::now();
    EXPECT_EQ(other.OpenPort(pty.path.c_str(), 0, 0, true), kErrorSharingViolation);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(other.LastErrorText(), "The port is busy");
    port.ClosePort();
    EXPECT_EQ(other.OpenPort(pty.path.c_str(), 0, 0, true), 0);  // released by the close
}

TEST_F(SerialPortTest, ModesOutsideTheirRangeAreInvalidArguments) {
    Open();
    ASSERT_EQ(port.SetFlowControl(CSerial::FlowControlXonXoff), 0);
    EXPECT_EQ(port.SetFlowControl(3), kErrorInvalidArg);
    EXPECT_EQ(port.LastError(), static_cast<int32_t>(0x80070057));
    EXPECT_EQ(port.GetFlowControl(), CSerial::FlowControlXonXoff);  // unchanged
    EXPECT_EQ(port.SetReadMode(2), kErrorInvalidArg);
    EXPECT_EQ(port.SetReadMode(-1), kErrorInvalidArg);
}

TEST_F(SerialPortTest, FlowControlReadsBackAsSet) {
    Open();
    for (int mode :
         {CSerial::FlowControlHardware, CSerial::FlowControlXonXoff, CSerial::FlowControlNone}) {
        EXPECT_EQ(port.SetFlowControl(mode), 0) << mode;  // a pty has no modem lines
        EXPECT_EQ(port.GetFlowControl(), mode);
    }
}

TEST_F(SerialPortTest, RatesAreSetExactlyIncludingThoseOutsideTheTermiosTable) {
    Open();
    for (uint32_t baud : {1200u, 9600u, 14400u, 56000u, 115200u, 128000u, 256000u}) {
        EXPECT_EQ(port.ConfigureLine(baud, 8, 0, 0), 0) << baud << " " << port.LastErrorText();
        EXPECT_EQ(port.GetBaudRate(), static_cast<int32_t>(baud));
    }
    EXPECT_EQ(port.ConfigureLine(0, 8, 0, 0), kErrorInvalidParameter);
    EXPECT_EQ(port.GetBaudRate(), 256000);  // a refused setting changes nothing
}

TEST_F(SerialPortTest, LineSettingsLowBytesAndParityCheck) {
    Open();
    EXPECT_EQ(port.ConfigureLine(9600, 0x108, 0, 0), 0);  // only the low 8 bits count
    EXPECT_EQ(port.GetDataBits(), 8);
    EXPECT_EQ(port.ConfigureLine(9600, 8, 9, 0), kErrorInvalidParameter);
    EXPECT_EQ(port.GetStopBits(), 0);
    EXPECT_EQ(port.GetParity(), 0);
}

TEST_F(SerialPortTest, EventCharacterJoinsTheMaskOnlyWhenAsked) {
    Open();
    EXPECT_EQ(port.SetEventChar('\n', false), 0);
    EXPECT_EQ(port.GetEventChar(), '\n');
    EXPECT_EQ(port.GetEventMask(), 193u);
    EXPECT_EQ(port.SetEventChar('\r', true), 0);
    EXPECT_EQ(port.GetEventChar(), '\r');
    EXPECT_EQ(port.GetEventMask(), 193u | EV_RXFLAG);
}

TEST_F(SerialPortTest, BlockingReadTimesOutWith1460AndCompletesWhenAllArrived) {
    Open();
    ASSERT_EQ(port.SetReadMode(CSerial::ReadModeBlocking), 0);
    char buffer[8];
    uint32_t count = 0;
    ASSERT_EQ(write(pty.master, "abc", 3), 3);
    auto start = Clock::now();
    EXPECT_EQ(port.ReadData(buffer, 8, &count, nullptr, 200), kErrorTimeout);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(190));
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)!write(pty.master, "12345678", 8);
    });
    EXPECT_EQ(port.ReadData(buffer, 8, &count, nullptr, 5000), 0);
    late.join();
    EXPECT_EQ(count, 8u);
    EXPECT_EQ(std::string(buffer, 8), "12345678");
}

TEST_F(SerialPortTest, PlainPortTakesOnlyUnlimitedCallsWithoutRecord) {
    Open(false);
    char buffer[8];
    uint32_t count = 7;
    SerialOverlapped overlapped;
    EXPECT_EQ(port.ReadData(buffer, 8, &count, nullptr, 300), kErrorInvalidFunction);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(port.WriteData("x", 1, &count, &overlapped, kInfinite), kErrorInvalidFunction);
    EXPECT_EQ(port.WaitForEvent(nullptr, 100), kErrorInvalidFunction);
    EXPECT_EQ(port.WriteString("plain", &count, nullptr, kInfinite), 0);
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(pty.ReadMaster(), "plain");
}

TEST_F(SerialPortTest, CallersRecordCompletesWithTheCount) {
    Open();
    SerialOverlapped overlapped;
    EXPECT_EQ(port.WriteData("abcd", 4, nullptr, &overlapped, 1000), 0);
    EXPECT_TRUE(overlapped.done);
    EXPECT_EQ(overlapped.result, 0);
    EXPECT_EQ(overlapped.count, 4u);
    EXPECT_EQ(port.WriteString("", nullptr, nullptr, kInfinite), 0);
    EXPECT_EQ(pty.ReadMaster(), "abcd");
}

TEST_F(SerialPortTest, WaitForEventSeesInputAndTimesOut) {
    Open();
    EXPECT_EQ(port.WaitForEvent(nullptr, 100), kErrorTimeout);
    ASSERT_EQ(write(pty.master, "x", 1), 1);
    EXPECT_EQ(port.WaitForEvent(nullptr, 1000), 0);
    EXPECT_EQ(port.EventsSeen() & EV_RXCHAR, EV_RXCHAR);
}

TEST_F(SerialPortTest, PurgeDropsWaitingInput) {
    Open();
    ASSERT_EQ(write(pty.master, "stale", 5), 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(port.PurgeBuffers(), 0);
    char buffer[8];
    uint32_t count = 0;
    EXPECT_EQ(port.ReadData(buffer, 8, &count, nullptr, 300), 0);
    EXPECT_EQ(count, 0u);
}

TEST_F(SerialPortTest, HangUpIsAnErrorNotSilence) {
    Open();
    pty.CloseMaster();
    char buffer[8];
    uint32_t count = 0;
    EXPECT_EQ(port.ReadData(buffer, 8, &count, nullptr, 300), kErrorDeviceNotConnected);
    EXPECT_EQ(port.WriteString("at\r\n", nullptr, nullptr, kInfinite), kErrorDeviceNotConnected);
    EXPECT_EQ(port.WaitForEvent(nullptr, 1000), 0);
    EXPECT_EQ(port.EventsSeen() & EV_ERR, EV_ERR);
}

TEST_F(SerialPortTest, CloseRightAfterAWriteDeliversEveryByte) {
    // A completed write is on its way: closing the port must not take it back.
    for (int round = 0; round < 20; ++round) {
        Open();
        ASSERT_EQ(port.WriteString("at+reconn=1\r\n", nullptr, nullptr, kInfinite), 0);
        port.ClosePort();
        pollfd ready{pty.master, POLLIN, 0};
        ASSERT_EQ(poll(&ready, 1, 1000), 1) << "round " << round;
        ASSERT_EQ(pty.ReadMaster(), "at+reconn=1\r\n") << "round " << round;
    }
}

// The dialog's Stop and close and a signal to the command line end a transfer from another
// thread, however long its own time-out.
struct PendingTransfer {
    const char* name;
    std::function<int32_t(CSerial&)> run;
};

const PendingTransfer kPendingTransfers[] = {
    {"WriteToALineNobodyReads",
     [](CSerial& port) {
         const std::string big(4 << 20, 'x');
         return port.WriteData(big.data(), static_cast<uint32_t>(big.size()), nullptr, nullptr,
                               600000);
     }},
    {"BlockingRead",
     [](CSerial& port) {
         if (port.SetReadMode(CSerial::ReadModeBlocking) != 0) return -1;
         char buffer[8];
         return port.ReadData(buffer, sizeof buffer, nullptr, nullptr, 600000);
     }},
    {"EventWait", [](CSerial& port) { return port.WaitForEvent(nullptr, 600000); }},
};

class SerialPortCancel : public SerialPortTest,
                         public ::testing::WithParamInterface<PendingTransfer> {};

TEST_P(SerialPortCancel, FromAnotherThreadEndsThePendingTransferAndEveryLaterOne) {
    Open();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        port.CancelTransfers();
    });
    const auto start = Clock::now();
    EXPECT_EQ(GetParam().run(port), kErrorOperationAborted);
    stopper.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    char buffer[8];
    EXPECT_EQ(port.ReadData(buffer, sizeof buffer, nullptr, nullptr, 600000),
              kErrorOperationAborted);
    EXPECT_EQ(port.WriteString("at\r\n", nullptr, nullptr, 600000), kErrorOperationAborted);
    EXPECT_EQ(port.ClosePort(), 0);
    CSerial next;  // released, and not left exclusive
    EXPECT_EQ(next.OpenPort(pty.path.c_str(), 0, 0, true), 0) << next.LastErrorText();
}

INSTANTIATE_TEST_SUITE_P(Transfers, SerialPortCancel, ::testing::ValuesIn(kPendingTransfers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialPortTest, CancelBeforeOpenHoldsForThePortOpenedAfterIt) {
    port.CancelTransfers();
    Open();
    EXPECT_EQ(port.WriteString("at\r\n", nullptr, nullptr, 1000), kErrorOperationAborted);
    EXPECT_TRUE(pty.ReadMaster().empty());
}

// A terminal program's line (or a user's terminal) must not be left raw with echo off.
TEST_F(SerialPortTest, CloseGivesTheTerminalBackAsFound) {
    termios before{};
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    before.c_lflag |= ICANON | ECHO | ISIG;
    before.c_oflag |= OPOST;
    cfsetspeed(&before, B9600);
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &before), 0);
    Open();
    ASSERT_EQ(port.ConfigureLine(115200, 8, NOPARITY, ONESTOPBIT), 0);
    ASSERT_EQ(port.WriteString("at\r\n", nullptr, nullptr, 1000), 0);
    EXPECT_EQ(port.ClosePort(), 0);
    termios after{};
    ASSERT_EQ(tcgetattr(pty.slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600));
}

TEST_F(SerialPortTest, DestructionClosesThePort) {
    int before = OpenFdCount();
    {
        CSerial scoped;
        ASSERT_EQ(scoped.OpenPort(pty.path.c_str(), 0, 4096, true), 0);
        EXPECT_GT(OpenFdCount(), before);
    }
    EXPECT_EQ(OpenFdCount(), before);
    Open();  // and the lock went with it
}

}  // namespace
