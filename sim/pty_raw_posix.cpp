#include <termios.h>

#include <cerrno>

#include "pty_line.h"

int MakePtyRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return errno;
    cfmakeraw(&tio);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
}
