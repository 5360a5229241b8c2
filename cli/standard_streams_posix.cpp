#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "serial_port.h"
#include "standard_streams.h"

unsigned PrepareStandardStreams() {
    signal(SIGPIPE, SIG_IGN);
    return ReserveStandardDescriptors();
}

bool IsTerminal(int fd) {
    return isatty(fd) != 0;
}

int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}
