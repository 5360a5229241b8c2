// The command line of qn7-sim.
#pragma once

#include <string>

#include "sim_module.h"

inline constexpr const char* kSimUsage =
    "Usage: qn7-sim [options]\n"
    "Simulates a QN7 module on a pseudo-terminal. Prints the port to open on its first line,\n"
    "then serves until interrupted (Ctrl+C, SIGTERM).\n"
    "\n"
    "Options:\n"
    "  --baud N                 rate the module answers at (default 115200)\n"
    "  --noise                  answer line noise at other rates instead of nothing\n"
    "  --no-pace                send at once instead of at the line time of the rate\n"
    "  --scan-delay MS          delay of the WiFi scan answer (default 2500)\n"
    "  --answer-delay MS        echo each line at once and answer it MS later (default: echo\n"
    "                           and answer together)\n"
    "  --transparent-return MS  leave transparent mode by itself after MS (default 0: never)\n"
    "  --escape-guard MS        silence around \"+++\" that leaves transparent mode "
    "(default 1000)\n"
    "  --fault KIND             none, no-answer, delay, truncate, nul, garbage, flood, hangup,\n"
    "                           capitals\n"
    "  --fault-delay MS         lateness of the delay fault (default 1000)\n"
    "  --flood-bytes N          size of the flood fault (default 1048576)\n"
    "  --hangup-after N         bytes received before the hangup fault (default 1)\n"
    "  --ignore-setting KEY     answer ok to a setting of KEY but keep the old value\n"
    "\n"
    "Network side (transparent mode):\n"
    "  --net-addr ADDR          the module's IPv4 address, answered as net_wanip; its sockets\n"
    "                           live there only (default 127.0.0.1)\n"
    "  --client-retry MS        a client's wait before connecting again (default 500)\n"
    "  --bridge-fault KIND      none, drop, corrupt, delay, reorder, refuse, disconnect\n"
    "  --bridge-fault-direction D\n"
    "                           both, to-network, to-serial: the way drop, corrupt, delay\n"
    "                           and reorder act (default both)\n"
    "  --bridge-fault-every N   drop, corrupt: one byte in N; reorder: a chunk after every N\n"
    "                           bytes swaps with the next (default 1000)\n"
    "  --bridge-delay MS        lateness of the delay fault (default 200)\n"
    "  --disconnect-after N     bytes carried before the disconnect fault (default 4096)\n"
    "\n"
    "  --help                   this text\n"
    "  --version                the version\n";

enum class SimArgs { kRun, kHelp, kVersion, kError };

// Fills `options` from the arguments; on kError `error` says what was wrong.
SimArgs ParseSimArgs(int argc, const char* const* argv, SimOptions* options, std::string* error);
