#include <unistd.h>

#include "standard_streams.h"

void UseBinaryStandardStreams() {
    // POSIX streams never translate line ends.
}

bool IsTerminal(int fd) {
    return isatty(fd) != 0;
}
