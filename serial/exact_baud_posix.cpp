// Systems without arbitrary rates: only the termios table is offered.
#include <termios.h>

#include <cerrno>

#include "exact_baud.h"
#include "termios_line_posix.h"

int SetExactBaud(int fd, uint32_t baud) {
    speed_t speed = SpeedFromBaud(baud);
    if (speed == B0) return ENOTSUP;
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return errno;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
}

int GetExactBaud(int fd, uint32_t* baud) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return errno;
    *baud = BaudFromSpeed(cfgetospeed(&tio));
    return 0;
}
