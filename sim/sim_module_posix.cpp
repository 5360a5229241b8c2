// The simulated module: serves the master side of a pseudo-terminal on a thread of its own.
#include "sim_module.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "bridge_settings.h"
#include "line_pacer.h"
#include "line_receiver.h"
#include "module_state.h"
#include "net_bridge_posix.h"
#include "pty_line.h"
#include "reply_fault.h"
#include "transparent_mode.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxLine = 4096;
constexpr int kIdlePollMs = 20;
// In transparent mode the module reads ahead this much line time from the pseudo-terminal, and
// takes from the network no more than this much beyond what its serial line is sending: enough
// that a thread woken late on a busy machine still finds the line busy, as a UART's FIFO keeps it.
constexpr std::chrono::milliseconds kLineWindow{50};

// No echo, no line editing, no translation; reads wait for one byte. 0 or an errno value.
int MakePtyRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return errno;
    cfmakeraw(&tio);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : errno;
}

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
        : options(o), transparent(o.escapeGuardMs, o.transparentReturnMs), bridge(o) {
        pacer.SetBaud(o.baud, o.pace);
        receiver.SetBaud(o.baud, o.pace);
        state.IgnoreSetting(o.ignoredSetting);
        state.SetAddressInUse(o.netAddr);
    }

    void Run();
    void OnInput(std::string_view data, Clock::time_point now);
    void OnLine(Clock::time_point now);
    void EnterTransparent(Clock::time_point now);
    void ServeTransparent(const std::vector<pollfd>& fds, Clock::time_point now);
    void SendDue(Clock::time_point now);
    bool AtModuleRate() const;
    std::size_t ReadRoom() const;
    bool SerialRoom() const;
    // When the loop must wake by itself: the next byte due on the line, the next arrival, a
    // timer of the bridge or of the escape; none while idle.
    std::optional<Clock::time_point> NextWake(Clock::time_point now) const;
    void CloseFds();

    mutable std::mutex mutex;
    mutable std::condition_variable receivedGrew;
    SimOptions options;
    ModuleState state;
    TransparentMode transparent;
    NetBridge bridge;
    LinePacer pacer;
    LineReceiver receiver;  // transparent mode only
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
    if (options.fault == SimFault::kDelay)
        notBefore += std::chrono::milliseconds(options.faultDelayMs);
    std::string reply = SpoilReply(options.fault, std::move(answer.text), random);
    if (options.answerDelayMs) {
        const std::size_t echo = std::min(answer.echoSize, reply.size());
        pacer.Queue(reply.substr(0, echo), notBefore);
        reply.erase(0, echo);
        notBefore += std::chrono::milliseconds(*options.answerDelayMs);
    }
    if (answer.delayed) notBefore += std::chrono::milliseconds(options.scanDelayMs);
    pacer.Queue(std::move(reply), notBefore);
    if (answer.enterTransparent) EnterTransparent(now);
    if (options.fault == SimFault::kFlood && !flooded) {
        flooded = true;
        pacer.Queue(Noise(options.floodBytes, random), now);
    }
}

void SimModule::Impl::OnInput(std::string_view data, Clock::time_point now) {
    received.append(data);
    receivedGrew.notify_all();
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
        receiver.Accept(data, now);  // data mode: carried to the network, not answered
        return;
    }
    if (options.fault == SimFault::kNoAnswer) return;
    for (std::size_t i = 0; i < data.size(); ++i) {
        char c = data[i];
        if (c == '\r') {
            OnLine(now);
            if (transparent.Active()) {  // what follows the command is data
                std::string_view rest = data.substr(i + 1);
                if (rest.starts_with('\n')) rest.remove_prefix(1);
                receiver.Accept(rest, now);
                return;
            }
        } else if (c != '\n' && line.size() < kMaxLine) {
            line += c;
        }
    }
}

void SimModule::Impl::EnterTransparent(Clock::time_point now) {
    transparent.Enter(now);
    receiver.Clear();
    BridgeSettings settings;
    if (ReadBridgeSettings(state.Settings(), &settings))
        bridge.Open(settings, now);  // without a usable remoteport the network stays closed
}

void SimModule::Impl::ServeTransparent(const std::vector<pollfd>& fds, Clock::time_point now) {
    Clock::time_point lastArrival{};
    if (std::string arrived = receiver.TakeArrived(now, &lastArrival); !arrived.empty())
        bridge.FromSerial(transparent.OnData(arrived, lastArrival), lastArrival);
    std::string released;
    if (transparent.Update(now, &released)) {
        bridge.Close();
        receiver.Clear();
        pacer.Queue("\r\nok\r\n", now);
        return;
    }
    bridge.FromSerial(released, now);
    std::vector<TimedChunk> toSerial;
    bridge.Serve(fds, now, SerialRoom(), &toSerial);
    for (TimedChunk& chunk : toSerial) pacer.Queue(std::move(chunk.bytes), chunk.notBefore);
}

std::size_t SimModule::Impl::ReadRoom() const {
    if (!transparent.Active()) return kMaxLine;
    std::size_t window = std::max<std::size_t>(receiver.BytesIn(kLineWindow), 16);
    return window > receiver.Backlog() ? window - receiver.Backlog() : 0;
}

bool SimModule::Impl::SerialRoom() const {
    auto window = kLineWindow;
    // Delayed data waits in the line's queue: room for the delay's worth on top.
    if (options.bridgeFault == BridgeFault::kDelay)
        window += std::chrono::milliseconds(options.bridgeDelayMs);
    return pacer.QueuedBytes() < std::max<std::size_t>(receiver.BytesIn(window), 64);
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

std::optional<Clock::time_point> SimModule::Impl::NextWake(Clock::time_point now) const {
    std::optional<Clock::time_point> wake;
    auto consider = [&wake](Clock::time_point due) {
        if (!wake || due < *wake) wake = due;
    };
    if (!pacer.Empty() && !lineFull) consider(pacer.NextDue());
    if (transparent.Active()) {
        consider(now + std::chrono::milliseconds(kIdlePollMs));
        if (auto arrival = receiver.NextArrival()) consider(*arrival);
        if (auto deadline = bridge.NextDeadline()) consider(*deadline);
        consider(transparent.NextUpdate());
    }
    return wake;
}

void SimModule::Impl::Run() {
    std::vector<pollfd> fds;
    for (;;) {
        std::optional<Clock::time_point> wakeAt;
        {
            std::lock_guard lock(mutex);
            if (master < 0) return;
            short lineEvents = ReadRoom() > 0 ? POLLIN : 0;
            if (lineFull) lineEvents |= POLLOUT;
            fds.assign({{wake[0], POLLIN, 0}, {master, lineEvents, 0}});
            if (transparent.Active()) bridge.AddPollFds(&fds, SerialRoom());
            wakeAt = NextWake(Clock::now());
        }
        // To the microsecond: a millisecond's rounding at every timer would add up in the
        // bridge's latency.
        timespec timeout{};
        if (wakeAt) {
            auto left = std::max(*wakeAt - Clock::now(), Clock::duration::zero());
            auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
            timeout.tv_sec = seconds.count();
            timeout.tv_nsec = std::chrono::nanoseconds(left - seconds).count();
        }
        if (ppoll(fds.data(), fds.size(), wakeAt ? &timeout : nullptr, nullptr) < 0 &&
            errno != EINTR)
            return;
        if (fds[0].revents) return;
        std::lock_guard lock(mutex);
        auto now = Clock::now();
        const short lineEvents = fds[1].revents;
        if (lineEvents & POLLOUT) lineFull = false;
        if (lineEvents & POLLIN) {
            char buffer[kMaxLine];
            ssize_t n = read(master, buffer, std::min(sizeof buffer, ReadRoom()));
            if (n > 0) OnInput({buffer, static_cast<std::size_t>(n)}, now);
        } else if (lineEvents & (POLLHUP | POLLERR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
        }
        if (master < 0) return;
        if (transparent.Active()) ServeTransparent(fds, now);
        SendDue(now);
    }
}

void SimModule::Impl::CloseFds() {
    bridge.Close();
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

std::string SimModule::ReceivedAtLeast(std::size_t bytes, std::chrono::milliseconds within) const {
    std::unique_lock lock(impl_->mutex);
    impl_->receivedGrew.wait_for(lock, within, [&] { return impl_->received.size() >= bytes; });
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
    impl_->receiver.SetBaud(options.baud, options.pace);
    impl_->bridge.SetOptions(options);
    impl_->state.IgnoreSetting(options.ignoredSetting);
    impl_->state.SetAddressInUse(options.netAddr);
}
