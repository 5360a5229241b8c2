// What the program needs of its standard streams, per system.
#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <streambuf>

// Sets the standard streams up before anything else runs: binary streams on Windows (scripts
// and replies carry their own CR LF); on POSIX systems closed standard descriptors held by
// /dev/null, so that no port lands on one, and SIGPIPE ignored, so that a reader gone away
// fails a write instead of ending the program with its ports held. Returns the descriptors
// that were closed, as bits (1 << fd).
unsigned PrepareStandardStreams();

// Whether the standard stream `fd` (1 or 2) is a terminal.
bool IsTerminal(int fd);

// Writes `size` bytes to `fd`: 0, or the error number of the failed write.
int WriteAll(int fd, const char* data, std::size_t size);

// Standard output or error (descriptor 1 or 2), unbuffered, so that what the ports print
// reaches it in the order written. It keeps the first failed write (a full disk, a reader gone
// away, a descriptor that was closed), so the program can say its output was lost instead of
// reporting success; nothing is written after it.
class StandardStreamBuf final : public std::streambuf {
  public:
    StandardStreamBuf(int fd, bool closed) : fd_(fd), closed_(closed) {}

    // 0 while every write succeeded, else the error number of the first that failed.
    int Error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (error_ != 0) return 0;
        const int error = closed_ ? EBADF : WriteAll(fd_, s, static_cast<std::size_t>(n));
        if (error == 0) return n;
        int none = 0;
        error_.compare_exchange_strong(none, error);
        return 0;
    }

  private:
    int fd_;
    bool closed_;
    std::atomic<int> error_{0};
};
