// The PC's end of the bridge on its own: the network peer of the module, opened for the module's
// endpoint (connecting to a module that serves, listening for one that is a client) and then
// sent to and received from as data comes. The check runs on it; a window can show it live.
#pragma once

#include <string>
#include <string_view>

#include "bridge_endpoint.h"
#include "net_socket.h"

class ExchangeStop;

class PeerLink {
  public:
    // Opens the PC's side within `timeoutMs`. TCP, module serving: connects, trying again
    // while the module refuses (it may still be starting its network) until the time is up.
    // TCP, module a client: listens and takes its first connection. UDP, module serving:
    // a socket aimed at it. UDP, module a client: binds the endpoint and takes the first
    // sender as the peer (nothing can be sent before the module has sent).
    bool Open(const BridgeEndpoint& endpoint, uint32_t timeoutMs, const ExchangeStop* stop,
              NetFailure* failure);
    bool Send(std::string_view bytes, uint32_t timeoutMs, const ExchangeStop* stop,
              NetFailure* failure);
    // Appends what came within `timeoutMs` (nothing when the time passed): see NetSocket.
    bool Receive(std::string* bytes, uint32_t timeoutMs, const ExchangeStop* stop,
                 NetFailure* failure);
    // UDP with a module that is a client: whether it has sent yet, so data can go back.
    bool HasPeer() const { return socket_.HasPeer(); }
    std::string PeerText() const { return socket_.PeerText(); }
    bool IsOpen() const { return socket_.IsOpen(); }
    void Close();

  private:
    NetSocket socket_;
};
