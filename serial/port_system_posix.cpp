// The POSIX side of the port seam: termios for the line, poll for every wait, flock and
// TIOCEXCL for exclusive use, errno mapped to the Windows codes the callers show. Every wait
// also watches a pipe of the port's own, so another thread can cut it short.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "exact_baud.h"
#include "port_system.h"
#include "termios_line_posix.h"
#include "uucp_lock.h"
#include "win_error.h"

struct PortDevice {
    int fd = -1;
    // A byte in it means cancelled; it is never read, so the cancel stays.
    int cancelRead = -1;
    int cancelWrite = -1;
    termios found{};  // the terminal's state at open, given back at close
    ReadTimeouts timeouts;
    uint32_t mask = 0;
    // What the driver keeps beyond termios: the DTR/DSR handshake and the event character.
    LineState extras;
    UucpLock lock;  // our lock file while the port is open
    // The system's explanation of the last failure; waits on a const device set it too.
    mutable std::string errorText;
};

namespace port_system {
namespace {

using Clock = std::chrono::steady_clock;
int32_t FailErrno(std::string& text, int err) {
    text = std::strerror(err);
    return WinErrorFromErrno(err);
}

int32_t FailHangUp(std::string& text) {
    text = "The device hung up";
    return kErrorDeviceNotConnected;
}

int32_t FailTimeout(std::string& text) {
    text.clear();
    return kErrorTimeout;
}

int32_t FailCancelled(std::string& text) {
    text = "The operation was stopped";
    return kErrorOperationAborted;
}

std::optional<Clock::time_point> DeadlineAfter(uint32_t ms) {
    if (ms == kInfinite) return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(ms);
}

// Milliseconds left for poll: -1 without a deadline, 0 once it has passed.
int MsLeft(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int EarlierMsLeft(int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return a < b ? a : b;
}

// Waits up to `waitMs` (-1: without limit) for `events` on the port; `revents` gets what came.
// A cancel fails the wait.
int32_t PollPort(const PortDevice* device, short events, int waitMs, short* revents) {
    pollfd p[2] = {{device->fd, events, 0}, {device->cancelRead, POLLIN, 0}};
    int n;
    do n = poll(p, 2, waitMs);
    while (n < 0 && errno == EINTR);
    if (n < 0) return FailErrno(device->errorText, errno);
    if (p[1].revents != 0) return FailCancelled(device->errorText);
    *revents = p[0].revents;
    return 0;
}

// 0 when the port is ready for `events` or the wait ran out, else a failure code.
int32_t PollFor(const PortDevice* device, short events, int waitMs) {
    short revents = 0;
    if (int32_t code = PollPort(device, events, waitMs, &revents)) return code;
    if (!(revents & events) && (revents & (POLLHUP | POLLERR | POLLNVAL)))
        return FailHangUp(device->errorText);
    return 0;
}

void SetModemLine(int fd, int line, bool on) {
    // Pseudo-terminals and some adapters have no modem lines; that must not fail the setting.
    (void)ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

bool IsNonBlockingRead(const ReadTimeouts& t) {
    return t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
           t.ReadTotalTimeoutConstant == 0;
}

// A write is done once its bytes have left the driver, as with a serial write on Windows: the
// line time belongs to the write, so the fixed waits after it start when the module has the
// whole text, and nothing is left queued for a later purge or close to drop.
int32_t WaitUntilSent(const PortDevice* device, std::optional<Clock::time_point> deadline) {
    constexpr int kDrainPollMs = 2;
    for (;;) {
        int queued = 0;
        // A line that hung up has dropped its queue and counts nothing more; the bytes were
        // handed over, and the next read reports the hang-up.
        if (ioctl(device->fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return 0;
        int waitLeft = MsLeft(deadline);
        if (waitLeft == 0) return FailTimeout(device->errorText);
        pollfd cancel{device->cancelRead, POLLIN, 0};
        if (poll(&cancel, 1, EarlierMsLeft(waitLeft, kDrainPollMs)) > 0)
            return FailCancelled(device->errorText);
    }
}

// The controlling terminal (by its own name or as /dev/tty), or the terminal standard input or
// output is on.
bool IsOwnTerminal(int fd) {
    const pid_t session = tcgetsid(fd);  // fails unless it is the controlling terminal
    if (session != -1 && session == getsid(0)) return true;
    struct stat port {};
    if (fstat(fd, &port) != 0) return false;
    struct stat own {};
    for (int stdFd = 0; stdFd <= 2; ++stdFd) {
        if (isatty(stdFd) && fstat(stdFd, &own) == 0 && own.st_rdev == port.st_rdev) return true;
    }
    return false;
}

bool MakeCancelPipe(int* readEnd, int* writeEnd) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    for (int fd : fds) {
        (void)fcntl(fd, F_SETFD, FD_CLOEXEC);
        (void)fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    *readEnd = fds[0];
    *writeEnd = fds[1];
    return true;
}

}  // namespace

std::string TakeErrorText(PortDevice* device) {
    return std::exchange(device->errorText, {});
}

int32_t Open(const char* path, PortDevice** device, std::string* errorText) {
    errorText->clear();
    // O_NONBLOCK keeps a modem line from holding up the open; every later wait is a poll.
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return FailErrno(*errorText, errno);
    int32_t code = 0;
    termios found{};
    if (!isatty(fd)) {
        code = FailErrno(*errorText, ENOTTY);
    } else if (IsOwnTerminal(fd)) {
        // AT lines on the user's own terminal would be typed into the shell.
        *errorText = "This is the terminal the program runs in, not a port to a module";
        code = kErrorNotSupported;
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // flock's own text ("Resource temporarily unavailable") does not tell the user why.
        if (errno == EWOULDBLOCK) {
            *errorText = "The port is busy";
            code = kErrorSharingViolation;
        } else {
            code = FailErrno(*errorText, errno);
        }
    } else if (tcgetattr(fd, &found) != 0) {
        code = FailErrno(*errorText, errno);
    }
    UucpLock lock;
    if (code == 0) code = lock.Acquire(path, errorText);
    int cancelRead = -1;
    int cancelWrite = -1;
    if (code == 0 && !MakeCancelPipe(&cancelRead, &cancelWrite))
        code = FailErrno(*errorText, errno);
    if (code != 0) {
        close(fd);
        return code;
    }
    (void)ioctl(fd, TIOCEXCL);  // also keeps out openers that do not flock
    *device = new PortDevice{fd, cancelRead, cancelWrite, found, {}, 0, {}, std::move(lock), {}};
    return 0;
}

void Cancel(PortDevice* device) {
    // A full pipe is cancelled already.
    (void)!write(device->cancelWrite, "x", 1);
}

void Close(PortDevice* device) {
    // Only a write that failed or timed out leaves output queued. Dropping it keeps close from
    // waiting on a line that does not drain; flushing when nothing is queued could still take
    // back bytes of a finished write on their way to the far end.
    int queued = 0;
    if (ioctl(device->fd, TIOCOUTQ, &queued) == 0 && queued > 0) tcflush(device->fd, TCOFLUSH);
    (void)tcsetattr(device->fd, TCSANOW, &device->found);
    (void)ioctl(device->fd, TIOCNXCL);
    close(device->fd);
    close(device->cancelRead);
    close(device->cancelWrite);
    delete device;  // and its lock file with it
}

int32_t SetupQueues(PortDevice*, uint32_t, uint32_t) {
    // The kernel sizes its tty queues itself.
    return 0;
}

void ApplyDefaultConfig(const char*, PortDevice* device) {
    termios tio{};
    if (tcgetattr(device->fd, &tio) != 0) return;
    MakeRaw(&tio);
    (void)tcsetattr(device->fd, TCSANOW, &tio);
}

int32_t GetState(PortDevice* device, LineState* line) {
    termios tio{};
    if (tcgetattr(device->fd, &tio) != 0) return FailErrno(device->errorText, errno);
    *line = device->extras;
    TermiosToLineState(tio, line);
    if (int err = GetExactBaud(device->fd, &line->BaudRate))
        return FailErrno(device->errorText, err);
    return 0;
}

int32_t SetState(PortDevice* device, const LineState& line) {
    int fd = device->fd;
    termios before{};
    if (tcgetattr(fd, &before) != 0) return FailErrno(device->errorText, errno);
    termios after = before;
    if (int32_t code = LineStateToTermios(line, &after)) {
        device->errorText = "Line setting not supported";
        return code;
    }
    if (tcsetattr(fd, TCSANOW, &after) != 0) return FailErrno(device->errorText, errno);
    if (SpeedFromBaud(line.BaudRate) == B0) {
        if (int err = SetExactBaud(fd, line.BaudRate)) {
            (void)tcsetattr(fd, TCSANOW, &before);
            return err == ENOTSUP ? kErrorInvalidParameter : FailErrno(device->errorText, err);
        }
    }
    device->extras = line;
    SetModemLine(fd, TIOCM_DTR, line.fDtrControl != DTR_CONTROL_DISABLE);
    if (line.fRtsControl != RTS_CONTROL_HANDSHAKE)
        SetModemLine(fd, TIOCM_RTS, line.fRtsControl != RTS_CONTROL_DISABLE);
    return 0;
}

int32_t GetTimeouts(PortDevice* device, ReadTimeouts* timeouts) {
    *timeouts = device->timeouts;
    return 0;
}

int32_t SetTimeouts(PortDevice* device, const ReadTimeouts& timeouts) {
    device->timeouts = timeouts;
    return 0;
}

int32_t SetMask(PortDevice* device, uint32_t mask) {
    device->mask = mask;
    return 0;
}

int32_t Purge(PortDevice* device) {
    return tcflush(device->fd, TCIOFLUSH) == 0 ? 0 : FailErrno(device->errorText, errno);
}

int32_t Read(PortDevice* device, void* buffer, uint32_t size, uint32_t* count, uint32_t timeoutMs) {
    const ReadTimeouts& t = device->timeouts;
    bool nonBlocking = IsNonBlockingRead(t);
    auto waitEnd = DeadlineAfter(timeoutMs);
    // A total read time-out ends the read successfully with what has arrived by then.
    std::optional<Clock::time_point> totalEnd;
    if (t.ReadTotalTimeoutMultiplier || t.ReadTotalTimeoutConstant)
        totalEnd = DeadlineAfter(t.ReadTotalTimeoutMultiplier * size + t.ReadTotalTimeoutConstant);
    auto* bytes = static_cast<char*>(buffer);
    while (*count < size) {
        ssize_t n = read(device->fd, bytes + *count, size - *count);
        if (n > 0) {
            *count += static_cast<uint32_t>(n);
            continue;
        }
        if (n == 0)
            return FailHangUp(device->errorText);  // a tty reads 0 bytes only once it has hung up
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return FailErrno(device->errorText, errno);
        if (nonBlocking) break;
        int totalLeft = MsLeft(totalEnd);
        if (totalLeft == 0) break;
        int waitLeft = MsLeft(waitEnd);
        if (waitLeft == 0) return FailTimeout(device->errorText);
        if (int32_t code = PollFor(device, POLLIN, EarlierMsLeft(totalLeft, waitLeft))) return code;
    }
    return 0;
}

int32_t Write(PortDevice* device, const void* data, uint32_t size, uint32_t* count,
              uint32_t timeoutMs) {
    auto waitEnd = DeadlineAfter(timeoutMs);
    const auto* bytes = static_cast<const char*>(data);
    while (*count < size) {
        ssize_t n = write(device->fd, bytes + *count, size - *count);
        if (n > 0) {
            *count += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return FailErrno(device->errorText, errno);
        int waitLeft = MsLeft(waitEnd);
        if (waitLeft == 0) return FailTimeout(device->errorText);
        if (int32_t code = PollFor(device, POLLOUT, waitLeft)) return code;
    }
    return WaitUntilSent(device, waitEnd);
}

int32_t WaitEvent(PortDevice* device, uint32_t* seen, uint32_t timeoutMs) {
    if (device->mask == 0) {
        device->errorText = "No events asked for";
        return kErrorInvalidParameter;
    }
    auto waitEnd = DeadlineAfter(timeoutMs);
    short events = (device->mask & EV_RXCHAR) ? POLLIN : 0;
    for (;;) {
        short revents = 0;
        if (int32_t code = PollPort(device, events, MsLeft(waitEnd), &revents)) return code;
        if (revents == 0) return FailTimeout(device->errorText);
        if (revents & POLLIN) *seen |= EV_RXCHAR;
        if (revents & (POLLHUP | POLLERR)) {
            if (!(device->mask & EV_ERR)) return FailHangUp(device->errorText);
            *seen |= EV_ERR;
        }
        if (*seen) return 0;
    }
}

}  // namespace port_system

unsigned ReserveStandardDescriptors() {
    unsigned closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is this one, the lower ones being held already.
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) close(null);
        closed |= 1u << fd;
    }
    return closed;
}
