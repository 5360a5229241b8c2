#include "termios_line_posix.h"

#include <utility>

namespace {

// The rates every POSIX system names, then those only some do (Linux names them all).
constexpr std::pair<uint32_t, speed_t> kSpeeds[] = {
    {50, B50},           {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},         {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},       {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600},     {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
};

// Mark and space parity need the stick-parity flag, which not every system has.
#ifdef CMSPAR
constexpr tcflag_t kStickParity = CMSPAR;
#else
constexpr tcflag_t kStickParity = 0;
#endif
constexpr uint8_t kMaxParity = kStickParity ? 4 : 2;

tcflag_t SizeFlag(uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5:
            return 5;
        case CS6:
            return 6;
        case CS7:
            return 7;
        default:
            return 8;
    }
}

// Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
tcflag_t ParityFlags(uint8_t parity) {
    const tcflag_t flags[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | kStickParity,
                              PARENB | kStickParity};
    return flags[parity];
}

uint8_t ParityOf(tcflag_t cflag) {
    if (!(cflag & PARENB)) return 0;
    bool odd = cflag & PARODD;
    if (cflag & kStickParity) return odd ? 3 : 4;
    return odd ? 1 : 2;
}

}  // namespace

speed_t SpeedFromBaud(uint32_t baud) {
    for (auto [rate, speed] : kSpeeds)
        if (rate == baud) return speed;
    return B0;
}

uint32_t BaudFromSpeed(speed_t speed) {
    for (auto [rate, code] : kSpeeds)
        if (code == speed) return rate;
    return 0;
}

int32_t LineStateToTermios(const LineState& line, termios* tio) {
    if (line.BaudRate == 0 || line.ByteSize < 5 || line.ByteSize > 8 || line.Parity > kMaxParity ||
        line.StopBits > 2)
        return kErrorInvalidParameter;
    tio->c_cflag &= ~(CSIZE | PARENB | PARODD | kStickParity | CSTOPB | CRTSCTS);
    tio->c_cflag |= SizeFlag(line.ByteSize) | ParityFlags(line.Parity) | CREAD | CLOCAL;
    if (line.StopBits != ONESTOPBIT) tio->c_cflag |= CSTOPB;
    if (line.fOutxCtsFlow && line.fRtsControl == RTS_CONTROL_HANDSHAKE) tio->c_cflag |= CRTSCTS;
    tio->c_iflag &= ~(INPCK | IXON | IXOFF);
    if (line.fParity) tio->c_iflag |= INPCK;
    if (line.fOutX) tio->c_iflag |= IXON;
    if (line.fInX) tio->c_iflag |= IXOFF;
    tio->c_cc[VSTART] = static_cast<cc_t>(line.XonChar);
    tio->c_cc[VSTOP] = static_cast<cc_t>(line.XoffChar);
    if (speed_t speed = SpeedFromBaud(line.BaudRate); speed != B0) {
        cfsetispeed(tio, speed);
        cfsetospeed(tio, speed);
    }
    return 0;
}

void TermiosToLineState(const termios& tio, LineState* line) {
    if (uint32_t baud = BaudFromSpeed(cfgetospeed(&tio))) line->BaudRate = baud;
    line->ByteSize = ByteSizeOf(tio.c_cflag);
    line->Parity = ParityOf(tio.c_cflag);
    line->StopBits = (tio.c_cflag & CSTOPB) ? 2 : ONESTOPBIT;
    line->fParity = tio.c_iflag & INPCK;
    if (tio.c_cflag & CRTSCTS) {
        line->fOutxCtsFlow = true;
        line->fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else {
        line->fOutxCtsFlow = false;
        if (line->fRtsControl == RTS_CONTROL_HANDSHAKE) line->fRtsControl = RTS_CONTROL_DISABLE;
    }
    line->fOutX = tio.c_iflag & IXON;
    line->fInX = tio.c_iflag & IXOFF;
    line->XonChar = static_cast<char>(tio.c_cc[VSTART]);
    line->XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
}

void MakeRaw(termios* tio) {
    cfmakeraw(tio);
    tio->c_cflag |= CREAD | CLOCAL;
    tio->c_cc[VMIN] = 1;
    tio->c_cc[VTIME] = 0;
}
