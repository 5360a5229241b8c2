#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "standard_streams.h"

namespace {

UINT& ConsoleCodePageAtStart() {
    static UINT page = 0;
    return page;
}

}  // namespace

unsigned PrepareStandardStreams() {
    // Without it each LF written becomes another CR LF.
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
    // What the program writes is UTF-8 (port names, "—", module answers); a console shows it in
    // its own code page unless told: UTF-8 while the program runs, its own again at the exit.
    const UINT page = GetConsoleOutputCP();
    if (page != 0 && page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
        ConsoleCodePageAtStart() = page;
        std::atexit([] { SetConsoleOutputCP(ConsoleCodePageAtStart()); });
    }
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
