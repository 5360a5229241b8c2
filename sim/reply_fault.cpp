#include "reply_fault.h"

#include <algorithm>
#include <cctype>

std::string Noise(std::size_t size, std::mt19937& random) {
    // Upper half of the byte range: no ASCII letter, so never "at", and never a NUL.
    std::uniform_int_distribution<int> byte(0x80, 0xFF);
    std::string noise(size, '\0');
    for (char& c : noise) c = static_cast<char>(byte(random));
    return noise;
}

std::string SpoilReply(SimFault fault, std::string reply, std::mt19937& random) {
    switch (fault) {
        case SimFault::kNoAnswer:
            return {};
        case SimFault::kTruncate:
            reply.resize(reply.size() / 2);
            return reply;
        case SimFault::kNulBytes:
            reply.insert(std::min<std::size_t>(1, reply.size()), 1, '\0');
            return reply;
        case SimFault::kGarbage:
            return Noise(reply.size(), random);
        case SimFault::kCapitals:
            std::transform(reply.begin(), reply.end(), reply.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            return reply;
        default:
            return reply;
    }
}
