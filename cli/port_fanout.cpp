#include "port_fanout.h"

#include <algorithm>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <thread>

#include "exit_codes.h"
#include "terminal_text.h"

namespace {

// Collects what one port's run prints and hands it on line by line, each line prefixed, under
// the lock that the ports share for the one stream they all end up on. On a terminal, which
// shows a line ended by a bare CR as a line, such a CR ends a line here too, so that the next
// line keeps its prefix.
class PrefixedLinesBuf final : public std::streambuf {
  public:
    PrefixedLinesBuf(std::string prefix, std::ostream& target, std::mutex& lock)
        : prefix_(std::move(prefix)),
          target_(target),
          lock_(lock),
          crEndsLine_(ShowsCrAsLineEnd(target)) {}
    PrefixedLinesBuf(const PrefixedLinesBuf&) = delete;
    PrefixedLinesBuf& operator=(const PrefixedLinesBuf&) = delete;

    // A last line without its LF gets one.
    void Finish() {
        if (!pending_.empty()) pending_ += '\n';
        PassOn();
    }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        pending_ += traits_type::to_char_type(c);
        const bool afterCr = pending_.size() > 1 && pending_[pending_.size() - 2] == '\r';
        if (pending_.back() == '\n' || (crEndsLine_ && afterCr)) PassOn();
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        PassOn();
        return n;
    }

  private:
    // Just past the end of the line that starts at `at`; npos while it has not ended (a CR at
    // the end of what came so far may yet be followed by its LF).
    std::size_t LineEnd(std::size_t at) const {
        for (std::size_t i = at; i < pending_.size(); ++i) {
            if (pending_[i] == '\n') return i + 1;
            if (crEndsLine_ && pending_[i] == '\r' && i + 1 < pending_.size() &&
                pending_[i + 1] != '\r' && pending_[i + 1] != '\n')
                return i + 1;
        }
        return std::string::npos;
    }

    void PassOn() {
        std::string lines;
        std::size_t at = 0;
        for (std::size_t end; (end = LineEnd(at)) != std::string::npos; at = end) {
            lines += prefix_;
            lines.append(pending_, at, end - at);
        }
        if (at == 0) return;
        pending_.erase(0, at);
        std::lock_guard guard(lock_);
        target_ << lines << std::flush;
    }

    std::string prefix_;
    std::ostream& target_;
    std::mutex& lock_;
    const bool crEndsLine_;
    std::string pending_;
};

// Wide enough for every OutcomeText.
constexpr std::size_t kOutcomeWidth = 25;

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

void PrintTable(const std::vector<std::string>& ports, const std::vector<PortOutcome>& outcomes,
                std::ostream& out) {
    std::size_t width = std::string_view("PORT").size();
    for (const std::string& port : ports) width = std::max(width, port.size());
    const bool details = std::any_of(outcomes.begin(), outcomes.end(),
                                     [](const PortOutcome& o) { return !o.detail.empty(); });
    out << Padded("PORT", width) << "  " << Padded("RATE", 8)
        << (details ? Padded("OUTCOME", kOutcomeWidth) + "DETAIL" : "OUTCOME") << '\n';
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::string outcome = OutcomeText(outcomes[i].status);
        out << Padded(ports[i], width) << "  " << Padded(std::to_string(outcomes[i].baud), 8)
            << (details ? Padded(outcome, kOutcomeWidth) + outcomes[i].detail : outcome) << '\n';
    }
}

}  // namespace

std::string OutcomeText(int status) {
    switch (status) {
        case exit_code::kOk:
            return "ok";
        case exit_code::kDiffers:
            return "settings differ";
        case exit_code::kNoHost:
            return "unreachable";
        case exit_code::kUnavailable:
            return "no module answered";
        case exit_code::kCantCreate:
            return "address in use";
        case exit_code::kTempFail:
            return "timed out";
        case exit_code::kProtocol:
            return "transparent mode failed";
        case exit_code::kIoError:
            return "serial error";
        case exit_code::kNoPermission:
            return "permission denied";
        default:
            return "exit status " + std::to_string(status);
    }
}

int RunOnPorts(const std::vector<std::string>& ports, const PortRun& run, std::ostream& out,
               std::ostream& err) {
    if (ports.size() == 1) return run(ports.front(), out, err).status;
    std::vector<PortOutcome> outcomes(ports.size());
    std::mutex outLock;
    std::mutex errLock;
    {
        std::vector<std::jthread> threads;
        threads.reserve(ports.size());
        for (std::size_t i = 0; i < ports.size(); ++i) {
            threads.emplace_back([&, i] {
                const std::string prefix = ports[i] + ": ";
                PrefixedLinesBuf outLines(prefix, out, outLock);
                PrefixedLinesBuf errLines(prefix, err, errLock);
                std::ostream portOut(&outLines);
                std::ostream portErr(&errLines);
                outcomes[i] = run(ports[i], portOut, portErr);
                outLines.Finish();
                errLines.Finish();
            });
        }
    }
    PrintTable(ports, outcomes, out);
    int worst = exit_code::kOk;
    for (const PortOutcome& outcome : outcomes) worst = std::max(worst, outcome.status);
    return worst;
}
