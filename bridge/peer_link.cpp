#include "peer_link.h"

#include <chrono>
#include <thread>

#include "exchange_stop.h"

namespace {

using Clock = std::chrono::steady_clock;
// Between two connection attempts to a module that refuses.
constexpr std::chrono::milliseconds kRetryPause{100};

uint32_t LeftMs(Clock::time_point until) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

}  // namespace

bool PeerLink::Open(const BridgeEndpoint& endpoint, uint32_t timeoutMs, const ExchangeStop* stop,
                    NetFailure* failure) {
    Close();
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (endpoint.role == ModuleRole::kClient) {
        if (endpoint.proto == NetProto::kUdp)
            return socket_.Listen(NetProto::kUdp, endpoint.host, endpoint.port, failure);
        NetSocket listener;
        if (!listener.Listen(NetProto::kTcp, endpoint.host, endpoint.port, failure)) return false;
        // Once one module is in, the listening socket closes: nobody else gets in.
        return listener.Accept(&socket_, LeftMs(until), stop, failure);
    }
    for (;;) {
        if (socket_.Connect(endpoint.proto, endpoint.host, endpoint.port, LeftMs(until), stop,
                            failure))
            return true;
        if (failure->error != NetError::kRefused || LeftMs(until) == 0) return false;
        if (stop && stop->Stopped()) return false;
        std::this_thread::sleep_for(kRetryPause);
    }
}

bool PeerLink::Send(std::string_view bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                    NetFailure* failure) {
    return socket_.Send(bytes, timeoutMs, stop, failure);
}

bool PeerLink::Receive(std::string* bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                       NetFailure* failure) {
    return socket_.Receive(bytes, timeoutMs, stop, failure);
}

void PeerLink::Close() {
    socket_.Close();
}
