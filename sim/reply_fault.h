// How a faulty module spoils one reply, for tests of the tool's handling of bad answers.
#pragma once

#include <random>
#include <string>

#include "sim_module.h"

// The reply as the fault lets it out. kNone, kDelay, kFlood and kHangUp leave the text whole.
std::string SpoilReply(SimFault fault, std::string reply, std::mt19937& random);
// `size` bytes of line noise that never hold "at" nor a NUL.
std::string Noise(std::size_t size, std::mt19937& random);
