#include "termios_line_posix.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    uint8_t byteSize, parity, stopBits;
    bool fParity;
    tcflag_t size, parityFlags;
    bool twoStops;
};

class SerialTermiosTranslation : public ::testing::TestWithParam<LineCase> {};

TEST_P(SerialTermiosTranslation, LineStateMapsToTermiosAndBack) {
    const LineCase& c = GetParam();
    LineState line;
    line.BaudRate = 9600;
    line.ByteSize = c.byteSize;
    line.Parity = c.parity;
    line.StopBits = c.stopBits;
    line.fParity = c.fParity;
    termios tio{};
    ASSERT_EQ(LineStateToTermios(line, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStops);
    EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.fParity);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    LineState back;
    TermiosToLineState(tio, &back);
    EXPECT_EQ(back.BaudRate, 9600u);
    EXPECT_EQ(back.ByteSize, c.byteSize);
    EXPECT_EQ(back.Parity, c.parity);
    EXPECT_EQ(back.StopBits, c.twoStops ? 2 : 0);
    EXPECT_EQ(back.fParity, c.fParity);
}

INSTANTIATE_TEST_SUITE_P(Lines, SerialTermiosTranslation,
                         ::testing::Values(LineCase{8, 0, 0, false, CS8, 0, false},
                                           LineCase{7, 2, 2, true, CS7, PARENB, true},
                                           LineCase{7, 1, 0, true, CS7, PARENB | PARODD, false},
                                           LineCase{6, 3, 0, true, CS6, PARENB | PARODD | CMSPAR,
                                                    false},
                                           LineCase{5, 4, 2, true, CS5, PARENB | CMSPAR, true}));

TEST(SerialTermiosTranslation, FlowControlFields) {
    LineState line;
    line.BaudRate = 115200;
    line.fOutxCtsFlow = true;
    line.fRtsControl = RTS_CONTROL_HANDSHAKE;
    line.fDtrControl = DTR_CONTROL_HANDSHAKE;
    termios tio{};
    ASSERT_EQ(LineStateToTermios(line, &tio), 0);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    line = {};
    line.BaudRate = 115200;
    line.fOutX = line.fInX = true;
    ASSERT_EQ(LineStateToTermios(line, &tio), 0);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    LineState back;
    back.fDtrControl = DTR_CONTROL_HANDSHAKE;  // kept by the driver, not by termios
    back.fRtsControl = RTS_CONTROL_HANDSHAKE;
    TermiosToLineState(tio, &back);
    EXPECT_TRUE(back.fOutX && back.fInX);
    EXPECT_EQ(back.fRtsControl, RTS_CONTROL_DISABLE);
    EXPECT_EQ(back.fDtrControl, DTR_CONTROL_HANDSHAKE);
}

TEST(SerialTermiosTranslation, ImpossibleSettingsAreRefusedUntouched) {
    termios tio{};
    tio.c_cflag = CS7;
    for (LineState bad :
         {LineState{.BaudRate = 0}, LineState{.BaudRate = 9600, .ByteSize = 9},
          LineState{.BaudRate = 9600, .ByteSize = 4}, LineState{.BaudRate = 9600, .Parity = 5},
          LineState{.BaudRate = 9600, .StopBits = 3}}) {
        EXPECT_EQ(LineStateToTermios(bad, &tio), kErrorInvalidParameter);
        EXPECT_EQ(tio.c_cflag, static_cast<tcflag_t>(CS7));
    }
}

TEST(SerialTermiosTranslation, RatesOutsideTheTableLeaveTheSpeedToTheCaller) {
    for (uint32_t baud : {14400u, 56000u, 128000u, 256000u}) EXPECT_EQ(SpeedFromBaud(baud), B0);
    termios tio{};
    cfsetospeed(&tio, B4800);
    LineState line;
    line.BaudRate = 56000;
    ASSERT_EQ(LineStateToTermios(line, &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B4800);
    LineState back;
    back.BaudRate = 56000;
    TermiosToLineState(tio, &back);
    EXPECT_EQ(back.BaudRate, 4800u);
    EXPECT_EQ(BaudFromSpeed(SpeedFromBaud(57600)), 57600u);
}

}  // namespace
