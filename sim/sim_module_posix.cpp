// The simulated module: serves the master side of a pseudo-terminal on a thread of its own.
#include "sim_module.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

#include "line_pacer.h"
#include "module_state.h"
#include "pty_line.h"
#include "reply_fault.h"
#include "transparent_mode.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxLine = 4096;
constexpr int kIdlePollMs = 20;

int OpenPair(int* master, int* slave, std::string* slavePath) {
    int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m < 0) return errno;
    char name[128];
    if (grantpt(m) != 0 || unlockpt(m) != 0 || ptsname_r(m, name, sizeof name) != 0) {
        int err = errno;
        close(m);
        return err;
    }
    // Holding a slave descriptor keeps the master from hanging up each time the tool closes
    // the port between exchanges. It takes no lock, so the tool's exclusive open still works.
    int s = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        int err = errno;
        close(m);
        return err;
    }
    *master = m;
    *slave = s;
    *slavePath = name;
    return 0;
}

}  // namespace

struct SimModule::Impl {
    explicit Impl(const SimOptions& o)
        : options(o), transparent(o.escapeGuardMs, o.transparentReturnMs) {
        pacer.SetBaud(o.baud, o.pace);
        state.IgnoreSetting(o.ignoredSetting);
    }

    void Run();
    void OnInput(std::string_view data, Clock::time_point now);
    void OnLine(Clock::time_point now);
    void SendDue(Clock::time_point now);
    bool AtModuleRate() const;
    int PollTimeoutMs(Clock::time_point now) const;
    void CloseFds();

    mutable std::mutex mutex;
    SimOptions options;
    ModuleState state;
    TransparentMode transparent;
    LinePacer pacer;
    std::mt19937 random{7};
    std::string line;
    std::string received;
    std::size_t receivedCount = 0;
    bool flooded = false;
    bool lineFull = false;  // the tool is not reading: wait for room, not for the pacer
    int master = -1;
    int ownSlave = -1;
    int wake[2] = {-1, -1};
    std::string slavePath;
    std::thread thread;
};

bool SimModule::Impl::AtModuleRate() const {
    uint32_t rate = 0;
    return GetPtyRate(master, &rate) == 0 && rate == options.baud;
}

void SimModule::Impl::OnLine(Clock::time_point now) {
    ModuleAnswer answer = state.Answer(line);
    line.clear();
    auto notBefore = now;
    if (answer.delayed) notBefore += std::chrono::milliseconds(options.scanDelayMs);
    if (options.fault == SimFault::kDelay)
        notBefore += std::chrono::milliseconds(options.faultDelayMs);
    pacer.Queue(SpoilReply(options.fault, std::move(answer.text), random), notBefore);
    if (answer.enterTransparent) transparent.Enter(now);
    if (options.fault == SimFault::kFlood && !flooded) {
        flooded = true;
        pacer.Queue(Noise(options.floodBytes, random), now);
    }
}

void SimModule::Impl::OnInput(std::string_view data, Clock::time_point now) {
    received.append(data);
    receivedCount += data.size();
    if (options.fault == SimFault::kHangUp && receivedCount >= options.hangUpAfterBytes) {
        CloseFds();  // the tool now sees the line hang up, as if the module were unplugged
        return;
    }
    if (!AtModuleRate()) {
        // At a foreign rate the module's UART sees only framing errors.
        line.clear();
        if (options.noiseAtWrongRate) pacer.Queue(Noise(data.size(), random), now);
        return;
    }
    if (transparent.Active()) {
        transparent.OnData(data, now);  // data mode: carried to the network, not answered
        return;
    }
    if (options.fault == SimFault::kNoAnswer) return;
    for (char c : data) {
        if (c == '\r')
            OnLine(now);
        else if (c != '\n' && line.size() < kMaxLine)
            line += c;
    }
}

void SimModule::Impl::SendDue(Clock::time_point now) {
    std::string due = pacer.TakeDue(now);
    if (due.empty()) return;
    bool rateMatches = AtModuleRate();
    if (!rateMatches && !options.noiseAtWrongRate) return;  // the tool changed rate: lost
    if (!rateMatches) due = Noise(due.size(), random);
    ssize_t n = write(master, due.data(), due.size());
    std::size_t sent = n > 0 ? static_cast<std::size_t>(n) : 0;
    lineFull = sent < due.size();
    pacer.PutBack(due.substr(sent), now);
}

int SimModule::Impl::PollTimeoutMs(Clock::time_point now) const {
    int timeout = transparent.Active() ? kIdlePollMs : -1;
    if (pacer.Empty() || lineFull) return timeout;
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(pacer.NextDue() - now).count();
    int dueMs = static_cast<int>(std::clamp<long long>(wait, 0, INT_MAX));
    return timeout < 0 ? dueMs : std::min(timeout, dueMs);
}

void SimModule::Impl::Run() {
    for (;;) {
        pollfd fds[2] = {{wake[0], POLLIN, 0}, {master, POLLIN, 0}};
        int timeout;
        {
            std::lock_guard lock(mutex);
            if (master < 0) return;
            timeout = PollTimeoutMs(Clock::now());
            if (lineFull) fds[1].events |= POLLOUT;
        }
        if (poll(fds, 2, timeout) < 0 && errno != EINTR) return;
        if (fds[0].revents) return;
        std::lock_guard lock(mutex);
        auto now = Clock::now();
        if (fds[1].revents & POLLOUT) lineFull = false;
        if (fds[1].revents & POLLIN) {
            char buffer[4096];
            ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) OnInput({buffer, static_cast<std::size_t>(n)}, now);
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
        }
        if (master < 0) return;
        if (transparent.Update(now)) pacer.Queue("\r\nok\r\n", now);
        SendDue(now);
    }
}

void SimModule::Impl::CloseFds() {
    if (master >= 0) close(master);
    if (ownSlave >= 0) close(ownSlave);
    master = ownSlave = -1;
}

SimModule::SimModule(SimOptions options) : impl_(std::make_unique<Impl>(options)) {}

SimModule::~SimModule() {
    Stop();
}

int SimModule::Start() {
    Stop();
    Impl& m = *impl_;
    if (int err = OpenPair(&m.master, &m.ownSlave, &m.slavePath)) return err;
    // Raw from the start: a line discipline that echoes would feed the module its own answers.
    MakePtyRaw(m.ownSlave);
    SetPtyRate(m.ownSlave, m.options.baud);
    if (pipe2(m.wake, O_CLOEXEC) != 0) {
        int err = errno;
        m.CloseFds();
        return err;
    }
    m.thread = std::thread([&m] { m.Run(); });
    return 0;
}

void SimModule::Stop() {
    Impl& m = *impl_;
    if (m.thread.joinable()) {
        (void)!write(m.wake[1], "x", 1);
        m.thread.join();
    }
    for (int& fd : m.wake) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    std::lock_guard lock(m.mutex);
    m.CloseFds();
}

std::string SimModule::SlavePath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slavePath;
}

std::string SimModule::Received() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->received;
}

void SimModule::ClearReceived() {
    std::lock_guard lock(impl_->mutex);
    impl_->received.clear();
}

std::map<std::string, std::string> SimModule::State() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.Settings();
}

bool SimModule::Transparent() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->transparent.Active();
}

void SimModule::SetOptions(const SimOptions& options) {
    std::lock_guard lock(impl_->mutex);
    impl_->options = options;
    impl_->transparent.SetTimes(options.escapeGuardMs, options.transparentReturnMs);
    impl_->pacer.SetBaud(options.baud, options.pace);
    impl_->state.IgnoreSetting(options.ignoredSetting);
}
