#include "standard_streams.h"

#include <cerrno>

std::streamsize StandardStreamBuf::xsputn(const char* s, std::streamsize n) {
    if (error_ != 0) return 0;
    const int error = closed_ ? EBADF : WriteAll(fd_, s, static_cast<std::size_t>(n));
    if (error == 0) return n;
    int none = 0;
    error_.compare_exchange_strong(none, error);
    return 0;
}
