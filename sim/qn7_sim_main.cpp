// qn7-sim: a simulated module on a pseudo-terminal, for trying the tool without hardware.
#include <signal.h>

#include <cstdio>
#include <cstring>

#include "sim_options_parse.h"

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    switch (ParseSimArgs(argc, argv, &options, &error)) {
        case SimArgs::kHelp:
            std::fputs(kSimUsage, stdout);
            return 0;
        case SimArgs::kVersion:
            std::puts("qn7-sim " QN7_VERSION);
            return 0;
        case SimArgs::kError:
            std::fprintf(stderr, "qn7-sim: %s\n\n%s", error.c_str(), kSimUsage);
            return 2;
        case SimArgs::kRun:
            break;
    }
    // Block the stop signals before the simulator's thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimModule sim(options);
    if (int err = sim.Start()) {
        std::fprintf(stderr, "qn7-sim: cannot open a pseudo-terminal: %s\n", std::strerror(err));
        return 1;
    }
    std::printf("%s\n", sim.SlavePath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.Stop();
    return 0;
}
