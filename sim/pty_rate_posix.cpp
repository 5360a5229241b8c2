// Systems whose speed_t is the rate itself (the BSDs, macOS) set any rate through termios.
#include <termios.h>

#include <cerrno>

#include "pty_line.h"

int SetPtyRate(int fd, uint32_t baud) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return errno;
    if (cfsetispeed(&tio, baud) != 0 || cfsetospeed(&tio, baud) != 0) return errno;
    return tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
}

int GetPtyRate(int fd, uint32_t* baud) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return errno;
    *baud = static_cast<uint32_t>(cfgetospeed(&tio));
    return 0;
}
