// The link to the module: the selected port and the rate the module answers at. The rate is
// written by the search on the worker thread, hence atomic; the port is GUI-thread only and
// handed to each exchange as a copy.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

extern std::string g_strComPort;
extern std::atomic<uint32_t> g_nLinkBaud;
