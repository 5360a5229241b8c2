#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <initializer_list>

#include "standard_streams.h"

void UseBinaryStandardStreams() {
    // Without it each LF written becomes another CR LF.
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
}

bool IsTerminal(int fd) {
    return _isatty(fd) != 0;
}
