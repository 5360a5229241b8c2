#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <initializer_list>

#include "standard_streams.h"

unsigned PrepareStandardStreams() {
    // Without it each LF written becomes another CR LF.
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
    return 0;
}

bool IsTerminal(int fd) {
    return _isatty(fd) != 0;
}

int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const unsigned chunk = size < INT_MAX ? static_cast<unsigned>(size) : INT_MAX;
        const int n = _write(fd, data, chunk);
        if (n < 0) return errno;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}
