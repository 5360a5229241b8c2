// The bridge check: does the module's bridge really carry data, both ways? It finds the
// endpoint (the module's settings, or the user's), puts the module into transparent mode,
// opens the PC's side of the socket, times small probes going round, sends a test pattern of
// sequence-numbered, checksummed blocks each way at once, and counts what came out: intact,
// lost, corrupted, reordered. Then it closes the socket, sends the escape and confirms with one
// "at" exchange that the module answers commands again.
//
// It runs on the caller's thread; its exchanges' log lines go to the context's log, its phases
// and the bytes carried to an optional BridgeProgress, and its result is returned once. The
// context's stop ends it early from another thread: the socket closes, a module left in
// transparent mode still gets the escape, and the port is released.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bridge_endpoint.h"
#include "exchanges.h"
#include "net_socket.h"

// One direction's counts, in bytes.
struct WayReport {
    uint64_t sent = 0;       // pattern sent this way
    uint64_t received = 0;   // what came out, whatever it was
    uint64_t intact = 0;     // in blocks that came whole and in order
    uint64_t lost = 0;       // sent but never came out
    uint64_t corrupted = 0;  // came out changed, or extra among the blocks
    uint64_t reordered = 0;  // in whole blocks that came after a later block
    uint32_t damagedBlocks = 0;
    // From the first byte out to the last; the rate over that time.
    double seconds = 0;
    double bytesPerSecond = 0;
    bool Intact() const { return intact == sent && received == sent; }
};

struct LatencyReport {
    uint32_t probes = 0;    // sent
    uint32_t answered = 0;  // came back whole
    double p50Ms = 0;
    double p99Ms = 0;
    double maxMs = 0;
    // What the line allows: the probe's line time both ways and the packing timeout.
    double limitMs = 0;
};

enum class BridgeOutcome {
    kIntact,           // every byte came out intact, both ways
    kDamaged,          // bytes lost, changed, added or reordered, or the connection dropped
    kBadEndpoint,      // no usable address or port in the settings: nothing was sent
    kRefused,          // the module's side refused the connection
    kUnreachable,      // no route to the module's address
    kTimedOut,         // the module never connected or never answered within the deadline
    kAddressInUse,     // the PC could not listen: the port is taken
    kAddressNotLocal,  // the PC could not listen: the address is not one of this PC's
    kNoModule,         // no module answered on the serial port
    kNotTransparent,   // the module answers commands: it never entered transparent mode
    kLeftTransparent,  // the module left transparent mode by itself during the check
    kNoCommandMode,    // after the escape the module did not answer "at"
    kSerialError,
    kStopped,
};

enum class CommandMode { kSkipped, kConfirmed, kNotConfirmed };

struct BridgeReport {
    BridgeOutcome outcome = BridgeOutcome::kNoModule;
    std::string message;  // one line for the user
    std::optional<BridgeEndpoint> endpoint;
    std::string peer;       // the socket's peer, "127.0.0.1:8080"
    uint32_t lineBaud = 0;  // the serial link's rate, the limit of the bridge
    WayReport toNetwork;    // written to the module's UART, read from the socket
    WayReport toSerial;     // sent to the socket, read from the module's UART
    LatencyReport latency;
    CommandMode commandMode = CommandMode::kSkipped;
    SerialFailure serialFailure;  // kSerialError
    NetFailure netFailure;        // the socket's outcomes
};

enum class BridgePhase {
    kReadingSettings,
    kEnteringTransparent,
    kConnecting,
    kProbing,
    kSending,
    kLeavingTransparent,
    kConfirming,
};

// Where the check reports on its way, from the thread it runs on: the phase it is in, and how
// far the pattern has come out.
class BridgeProgress {
  public:
    virtual ~BridgeProgress() = default;
    virtual void Phase(BridgePhase phase) { (void)phase; }
    virtual void Carried(uint64_t toNetwork, uint64_t toSerial, uint64_t eachWay) {
        (void)toNetwork, (void)toSerial, (void)eachWay;
    }
};

struct BridgeRequest {
    // Where the endpoint comes from: these settings (script lines: a script, a profile's
    // settings) or, when unset, a query of the module; the overrides win over either. With
    // every override given, nothing is asked.
    std::optional<std::string> settings;
    EndpointOverrides overrides;
    bool alreadyTransparent = false;  // do not send "at+reconn=1"
    bool stay = false;                // leave the module transparent at the end
    std::size_t bytes = 65536;        // each way, rounded up to whole blocks
    uint32_t probes = 20;
    uint32_t connectTimeoutMs = 5000;  // the PC's side: connecting, or waiting for the module
    // The pattern: once sent, the check waits this long after the last byte came out.
    uint32_t quietTimeoutMs = 2000;
    uint32_t escapeGuardMs = 1000;  // silence around "+++"
};

BridgeReport RunBridgeCheck(const ExchangeContext& context, const BridgeRequest& request,
                            BridgeProgress* progress = nullptr);

// The escape on its own (the window's "Command mode"): the guard time of silence, "+++", the
// guard time again, and what the module answered; then one "at" exchange. Replied when the
// module answers commands again.
ExchangeResult LeaveTransparentMode(const ExchangeContext& context, uint32_t guardMs);

// What a failure of the PC's side of the socket, opened for `endpoint` within `timeoutMs`, means
// for the check, and the line that tells the user.
BridgeOutcome NetFailureOutcome(NetError error);
std::string NetFailureMessage(const BridgeEndpoint& endpoint, const NetFailure& failure,
                              uint32_t timeoutMs);

// "intact", "refused" … for tables and JSON.
std::string_view BridgeOutcomeName(BridgeOutcome outcome);
