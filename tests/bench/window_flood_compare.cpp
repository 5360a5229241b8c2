// One serial terminal under a flood of numbered text lines, measured from outside its process so
// that different programs (the Bridge window among them) compare: this program creates a
// pseudo-terminal, starts the terminal on it, feeds the flood at a set rate and meanwhile
// measures, over the flood's duration:
//  - CPU: utime + stime of the program's process from /proc/PID/stat, as a share of one core
//    (the X server's own drawing work is not included), and the same for the second after;
//  - RSS growth: the largest VmRSS of /proc/PID/status, sampled every 200 ms, less the value
//    when the flood started;
//  - the event loop's round trip: every 100 ms a _NET_WM_PING goes to the program's top-level
//    window, as a window manager sends it; the program answers from its event loop to the root
//    window. p50, p95 and max of the round trips; pings unanswered at the end count with their
//    age then;
//  - updates a second: XDamage reports on the window, one update being the drawing that begins
//    with a report after the damage was last cleared, reports within 2 ms of its first one
//    included (one repaint can reach the server as several requests);
//  - the feeder's wait for room in the pseudo-terminal: nonzero when the program let its input
//    queue fill, which would have slowed the module.
// Not a test. Run by tools/bench_bridge_window.sh.
// Usage: qn7-window-flood-compare NAME BYTES_PER_SECOND SECONDS [--keys KEYS] -- PROGRAM [ARG...]
// "{port}" in the program's arguments stands for the pseudo-terminal's path. --keys types KEYS
// in the program's window once it is shown, for a program that opens its port only on a button
// (through its keyboard mnemonic): lowercase letters, each alone or with Alt ("alt+o"), separated
// by spaces.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "flood_feed.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr auto kPingEvery = milliseconds(100);
constexpr auto kSampleEvery = milliseconds(200);
constexpr auto kSettle = milliseconds(1500);
constexpr auto kAfter = milliseconds(1000);
constexpr int64_t kSameUpdateNs = 2'000'000;

struct Options {
    std::string name;
    double rate = 0;
    double seconds = 0;
    std::string keys;
    std::vector<std::string> command;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    if (argc < 6) return std::nullopt;
    Options options{argv[1], std::atof(argv[2]), std::atof(argv[3]), {}, {}};
    int at = 4;
    if (std::strcmp(argv[at], "--keys") == 0 && at + 1 < argc) {
        options.keys = argv[at + 1];
        at += 2;
    }
    if (at >= argc || std::strcmp(argv[at], "--") != 0) return std::nullopt;
    for (++at; at < argc; ++at) options.command.emplace_back(argv[at]);
    if (options.command.empty() || options.rate <= 0 || options.seconds <= 0) return std::nullopt;
    return options;
}

double Ms(int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The display, and what this program needs of it.
struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t wmProtocols = 0;
    xcb_atom_t netWmPing = 0;
    xcb_atom_t netWmPid = 0;
    uint8_t damageEvent = 0;
};

xcb_atom_t Intern(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// Connects and checks for the extensions used. The answers to the pings come to the root window
// for its structure or its substructure, depending on the toolkit: both are watched (not
// substructure redirection, which would make this program the window manager).
std::optional<Display> OpenDisplay() {
    Display display;
    int screenNumber = 0;
    display.connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(display.connection)) return std::nullopt;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(display.connection));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
    display.root = screens.data->root;
    const xcb_query_extension_reply_t* damage =
        xcb_get_extension_data(display.connection, &xcb_damage_id);
    const xcb_query_extension_reply_t* test =
        xcb_get_extension_data(display.connection, &xcb_test_id);
    if (!damage || !damage->present || !test || !test->present) return std::nullopt;
    display.damageEvent = damage->first_event;
    std::free(xcb_damage_query_version_reply(
        display.connection,
        xcb_damage_query_version(display.connection, XCB_DAMAGE_MAJOR_VERSION,
                                 XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    display.wmProtocols = Intern(display.connection, "WM_PROTOCOLS");
    display.netWmPing = Intern(display.connection, "_NET_WM_PING");
    display.netWmPid = Intern(display.connection, "_NET_WM_PID");
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(display.connection, display.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(display.connection);
    return display;
}

std::vector<uint32_t> Property32(const Display& display, xcb_window_t window, xcb_atom_t name,
                                 xcb_atom_t type) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        display.connection, xcb_get_property(display.connection, 0, window, name, type, 0, 64),
        nullptr);
    std::vector<uint32_t> values;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

// The largest shown top-level window whose _NET_WM_PID is `pid`; 0 for none yet. (No window
// manager runs, so top-level windows are the root's children.)
xcb_window_t FindWindow(const Display& display, pid_t pid) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
        display.connection, xcb_query_tree(display.connection, display.root), nullptr);
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    xcb_window_t found = 0;
    int foundArea = 0;
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        const std::vector<uint32_t> owner =
            Property32(display, children[i], display.netWmPid, XCB_ATOM_CARDINAL);
        if (owner.size() != 1 || owner[0] != static_cast<uint32_t>(pid)) continue;
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            display.connection, xcb_get_window_attributes(display.connection, children[i]),
            nullptr);
        xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
            display.connection, xcb_get_geometry(display.connection, children[i]), nullptr);
        if (attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            geometry->width * geometry->height > foundArea) {
            found = children[i];
            foundArea = geometry->width * geometry->height;
        }
        std::free(attributes);
        std::free(geometry);
    }
    std::free(tree);
    return found;
}

xcb_keycode_t KeycodeOf(const Display& display, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(display.connection);
    const uint8_t count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        display.connection, xcb_get_keyboard_mapping(display.connection, setup->min_keycode, count),
        nullptr);
    xcb_keycode_t found = 0;
    if (mapping) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
        for (int code = 0; code < count && found == 0; ++code) {
            if (symbols[code * mapping->keysyms_per_keycode] == keysym)
                found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
        }
    }
    std::free(mapping);
    return found;
}

// Focuses `window` and types `keys` (see the usage) through the XTEST extension, as a keyboard
// would; false for a key this keyboard does not have.
bool TypeKeys(const Display& display, xcb_window_t window, const std::string& keys) {
    constexpr xcb_keysym_t kAltL = 0xffe9;  // XK_Alt_L
    const xcb_keycode_t alt = KeycodeOf(display, kAltL);
    xcb_set_input_focus(display.connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(display.connection);
    std::this_thread::sleep_for(milliseconds(200));
    const auto press = [&](uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(display.connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    std::istringstream chords(keys);
    for (std::string chord; chords >> chord;) {
        const bool withAlt = chord.rfind("alt+", 0) == 0;
        if (withAlt) chord.erase(0, 4);
        // Lowercase letters are their own keysyms.
        const bool isLetter = chord.size() == 1 && chord[0] >= 'a' && chord[0] <= 'z';
        const xcb_keycode_t letter =
            isLetter ? KeycodeOf(display, static_cast<xcb_keysym_t>(chord[0])) : 0;
        if (letter == 0 || (withAlt && alt == 0)) return false;
        if (withAlt) press(XCB_KEY_PRESS, alt);
        press(XCB_KEY_PRESS, letter);
        press(XCB_KEY_RELEASE, letter);
        if (withAlt) press(XCB_KEY_RELEASE, alt);
        xcb_flush(display.connection);
        // What the chord opened is shown before the next key.
        std::this_thread::sleep_for(milliseconds(300));
    }
    return true;
}

// Whether process `pid` has `path` open.
bool HoldsPath(pid_t pid, const std::string& path) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* fds = opendir(folder.c_str());
    if (!fds) return false;
    bool holds = false;
    while (const dirent* entry = readdir(fds)) {
        char target[PATH_MAX];
        const ssize_t n =
            readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (n > 0 && path == std::string(target, static_cast<std::size_t>(n))) holds = true;
    }
    closedir(fds);
    return holds;
}

// The program under test, in a process group of its own.
class Program {
  public:
    Program(const std::vector<std::string>& command, const std::string& port) {
        std::vector<std::string> words = command;
        for (std::string& word : words) {
            for (std::size_t at; (at = word.find("{port}")) != std::string::npos;)
                word.replace(at, 6, port);
        }
        pid_ = fork();
        if (pid_ != 0) return;
        setpgid(0, 0);
        // The bench's own output is its report: the program's goes with the bench's diagnostics.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        std::perror(argv[0]);
        _exit(127);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Ends the program and whatever it started.
    ~Program() {
        if (Ended()) return;
        kill(-pid_, SIGTERM);
        for (int i = 0; i < 30; ++i) {
            if (Ended()) return;
            std::this_thread::sleep_for(milliseconds(100));
        }
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }

    pid_t Pid() const { return pid_; }
    bool Ended() {
        if (!ended_ && waitpid(pid_, nullptr, WNOHANG) == pid_) ended_ = true;
        return ended_;
    }

    // Waits up to `limit` for `ready`; false as soon as the program ends.
    template <typename Ready>
    bool WaitFor(Clock::duration limit, Ready ready) {
        for (const auto end = Clock::now() + limit; Clock::now() < end;) {
            if (ready()) return true;
            if (Ended()) return false;
            std::this_thread::sleep_for(milliseconds(50));
        }
        return ready();
    }

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

// What the window did under the flood.
struct Watch {
    std::map<uint32_t, Clock::time_point> unanswered;  // ping number -> sent
    std::vector<double> tripsMs;
    uint64_t updates = 0;
    int64_t updateStartNs = 0;
    bool counting = true;  // updates during the flood only
};

void Handle(const Display& display, xcb_damage_damage_t damage, const xcb_generic_event_t* event,
            Watch& watch) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == display.damageEvent + XCB_DAMAGE_NOTIFY) {
        xcb_damage_subtract(display.connection, damage, XCB_NONE, XCB_NONE);
        const int64_t now = NowNs();
        if (now - watch.updateStartNs > kSameUpdateNs) {
            watch.updateStartNs = now;
            if (watch.counting) ++watch.updates;
        }
        return;
    }
    if (type != XCB_CLIENT_MESSAGE) return;
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (message->window != display.root || message->type != display.wmProtocols ||
        message->data.data32[0] != display.netWmPing)
        return;
    const auto sent = watch.unanswered.find(message->data.data32[1]);
    if (sent == watch.unanswered.end()) return;
    watch.tripsMs.push_back(
        std::chrono::duration<double, std::milli>(Clock::now() - sent->second).count());
    watch.unanswered.erase(sent);
}

// The ping a window manager sends; the timestamp field carries the ping's number, by which the
// answer is known.
void Ping(const Display& display, xcb_window_t window, uint32_t number) {
    xcb_client_message_event_t ping{};
    ping.response_type = XCB_CLIENT_MESSAGE;
    ping.format = 32;
    ping.window = window;
    ping.type = display.wmProtocols;
    ping.data.data32[0] = display.netWmPing;
    ping.data.data32[1] = number;
    ping.data.data32[2] = window;
    xcb_send_event(display.connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&ping));
    xcb_flush(display.connection);
}

int Fail(const Options& options, const char* why) {
    std::printf("%-9s %.1f MB/s x %.0f s: not measured: %s\n", options.name.c_str(),
                options.rate / 1e6, options.seconds, why);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> parsed = ParseOptions(argc, argv);
    if (!parsed) {
        std::fprintf(stderr,
                     "usage: %s NAME BYTES_PER_SECOND SECONDS [--keys KEYS] -- PROGRAM [ARG...]\n"
                     "       (\"{port}\" in the arguments: the pseudo-terminal's path)\n",
                     argv[0]);
        return 2;
    }
    const Options& options = *parsed;
    signal(SIGPIPE, SIG_IGN);
    std::optional<Display> display = OpenDisplay();
    if (!display) return Fail(options, "no X display with the DAMAGE and XTEST extensions");

    int master = -1, slave = -1;
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return Fail(options, "no pseudo-terminal");
    // Raw, so that no program's line discipline echoes the flood back; the speed stays as it is.
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    close(slave);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    const std::string port = name;

    Program program(options.command, port);
    const pid_t pid = program.Pid();
    xcb_window_t window = 0;
    if (!program.WaitFor(std::chrono::seconds(20),
                         [&] { return (window = FindWindow(*display, pid)) != 0; })) {
        return Fail(options, "the program showed no window with its _NET_WM_PID");
    }
    const std::vector<uint32_t> protocols =
        Property32(*display, window, display->wmProtocols, XCB_ATOM_ATOM);
    if (std::find(protocols.begin(), protocols.end(), display->netWmPing) == protocols.end()) {
        return Fail(options, "the window does not take _NET_WM_PING");
    }
    const auto holdsPort = [&] { return HoldsPath(pid, port); };
    if (!options.keys.empty() && !program.WaitFor(std::chrono::seconds(1), holdsPort) &&
        !TypeKeys(*display, window, options.keys)) {
        return Fail(options, "a key to type is not a letter on this keyboard");
    }
    if (!program.WaitFor(std::chrono::seconds(10), holdsPort)) {
        return Fail(options, "the program did not open the pseudo-terminal");
    }
    std::this_thread::sleep_for(kSettle);
    // What came before the flood (the window drawn first, the focus) is not counted.
    while (xcb_generic_event_t* event = xcb_poll_for_event(display->connection)) std::free(event);

    const xcb_damage_damage_t damage = xcb_generate_id(display->connection);
    xcb_damage_create(display->connection, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    xcb_flush(display->connection);
    int done[2];
    if (pipe(done) != 0) return Fail(options, "no pipe");
    const double cpuStart = ProcessCpuSeconds(pid);
    const long rssStart = ProcessRssKib(pid);
    long rssPeak = rssStart;
    const auto floodStart = Clock::now();
    FloodFed fed;
    std::thread feeder([&] {
        fed = FeedFlood(master, options.rate, options.seconds);
        (void)!write(done[1], "d", 1);
    });

    Watch watch;
    uint32_t pings = 0;
    auto nextPing = floodStart + kPingEvery;
    auto nextSample = floodStart + kSampleEvery;
    std::optional<Clock::time_point> floodEnd;
    double cpuFlood = 0;
    double cpuAfter = 0;
    while (!floodEnd || Clock::now() < *floodEnd + kAfter) {
        const auto now = Clock::now();
        if (!floodEnd && now >= nextPing) {
            watch.unanswered[++pings] = now;
            Ping(*display, window, pings);
            nextPing += kPingEvery;
        }
        if (now >= nextSample) {
            rssPeak = std::max(rssPeak, ProcessRssKib(pid));
            nextSample += kSampleEvery;
        }
        // Every event read so far (sending reads too), and the damage cleared, before sleeping.
        while (xcb_generic_event_t* event = xcb_poll_for_event(display->connection)) {
            Handle(*display, damage, event, watch);
            std::free(event);
        }
        xcb_flush(display->connection);
        if (xcb_connection_has_error(display->connection) || program.Ended()) break;
        const auto wake = std::min(nextSample, floodEnd ? *floodEnd + kAfter : nextPing);
        pollfd ready[2] = {{xcb_get_file_descriptor(display->connection), POLLIN, 0},
                           {done[0], POLLIN, 0}};
        const auto wait = std::chrono::duration_cast<milliseconds>(wake - Clock::now()).count();
        poll(ready, floodEnd ? 1 : 2, static_cast<int>(std::max<int64_t>(wait + 1, 0)));
        if (!floodEnd && (ready[1].revents & POLLIN)) {
            floodEnd = Clock::now();
            cpuFlood = ProcessCpuSeconds(pid) - cpuStart;
            watch.counting = false;
        }
    }
    feeder.join();  // a program that ended closed its end: the feeder has stopped
    const bool alive = !program.Ended();
    cpuAfter = ProcessCpuSeconds(pid) - cpuStart - cpuFlood;
    const auto end = Clock::now();
    for (const auto& [number, sent] : watch.unanswered)
        watch.tripsMs.push_back(std::chrono::duration<double, std::milli>(end - sent).count());
    close(master);
    if (!alive || !floodEnd) return Fail(options, "the program ended during the flood");
    if (fed.readerGone) return Fail(options, "the program closed the pseudo-terminal");

    const double wall = Seconds(*floodEnd - floodStart);
    std::printf(
        "%-9s %.1f MB/s x %.0f s: CPU %.1f %% (%.1f %% in the second after); RSS %+.2f MiB "
        "(from %.1f MiB); ping p50 %.2f / p95 %.2f / max %.2f ms over %zu (%zu unanswered); "
        "%.1f updates/s; feeder waited %.1f ms for room (longest %.1f ms); %llu bytes in %.2f s\n",
        options.name.c_str(), options.rate / 1e6, options.seconds, 100.0 * cpuFlood / wall,
        100.0 * cpuAfter / Seconds(end - *floodEnd),
        static_cast<double>(rssPeak - rssStart) / 1024.0, static_cast<double>(rssStart) / 1024.0,
        Percentile(watch.tripsMs, 0.5), Percentile(watch.tripsMs, 0.95),
        Percentile(watch.tripsMs, 1.0), watch.tripsMs.size(), watch.unanswered.size(),
        static_cast<double>(watch.updates) / wall, Ms(fed.blockedNs), Ms(fed.longestBlockNs),
        static_cast<unsigned long long>(fed.bytes), wall);
    return watch.tripsMs.empty() ? 1 : 0;
}
