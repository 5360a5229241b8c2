// Any rate, not just the termios table's (the module's 14400, 56000, 128000 …): termios2, whose
// kernel header cannot share a file with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "pty_line.h"

int SetPtyRate(int fd, uint32_t baud) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));  // the input rate follows the output rate
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0 ? 0 : errno;
}

int GetPtyRate(int fd, uint32_t* baud) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
    *baud = tio.c_ospeed;
    return 0;
}
