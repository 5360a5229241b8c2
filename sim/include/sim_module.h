// A simulated module on a pseudo-terminal. The tool under test opens SlavePath(); the
// simulator runs on the master side in a thread of its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

enum class SimFault {
    kNone,
    kNoAnswer,  // reads and discards everything
    kDelay,     // answers faultDelayMs late
    kTruncate,  // answers only the first half of each reply
    kNulBytes,  // puts a NUL byte into each reply, early on
    kGarbage,   // answers random bytes without "at"
    kFlood,     // sends floodBytes of garbage at the line rate after the first line
    kHangUp,    // closes the master after hangUpAfterBytes bytes received
    kCapitals,  // answers in capitals only (AT instead of at)
};

// Faults of the network bridge in transparent mode.
enum class BridgeFault {
    kNone,
    kDrop,        // loses one byte in every bridgeFaultEvery
    kCorrupt,     // changes one byte in every bridgeFaultEvery
    kDelay,       // carries every chunk bridgeDelayMs late
    kReorder,     // after every bridgeFaultEvery bytes, swaps the chunk with the next one
    kRefuse,      // the network side never opens: no listening, no connecting
    kDisconnect,  // drops the connection after disconnectAfterBytes carried
};

// Which way through the bridge the drop, corrupt, delay and reorder faults act.
enum class FaultDirection { kBoth, kToNetwork, kToSerial };

struct SimOptions {
    uint32_t baud = 115200;         // answers only while the line is set to this rate
    bool noiseAtWrongRate = false;  // at other rates, answer line noise instead of nothing
    bool pace = true;               // send at the line time of the rate (10 bits a byte)
    uint32_t scanDelayMs = 2500;    // wifi_Scan answers after this
    // Echo each line as it arrives and answer it this much later (the scan's list scanDelayMs
    // later still), as a module that is slow to act on a command. Off: echo and answer together.
    std::optional<uint32_t> answerDelayMs = {};
    uint32_t transparentReturnMs = 0;  // 0: stay transparent until "+++"; else back by itself
    uint32_t escapeGuardMs = 1000;     // silence needed before and after "+++"
    SimFault fault = SimFault::kNone;
    uint32_t faultDelayMs = 1000;
    std::size_t floodBytes = 1 << 20;
    std::size_t hangUpAfterBytes = 1;
    // A setting of this key is answered "ok" but not taken: the module keeps its value, as one
    // that refuses a setting silently.
    std::string ignoredSetting = {};

    // The module's network: one IPv4 address, answered as net_wanip. The bridge listens,
    // connects and sends from it only.
    std::string netAddr = "127.0.0.1";
    uint32_t clientRetryMs = 500;  // a client's wait before it tries to connect again
    BridgeFault bridgeFault = BridgeFault::kNone;
    FaultDirection bridgeFaultDirection = FaultDirection::kBoth;
    uint32_t bridgeFaultEvery = 1000;
    uint32_t bridgeDelayMs = 200;
    std::size_t disconnectAfterBytes = 4096;
};

class SimModule {
  public:
    explicit SimModule(SimOptions options = {});
    ~SimModule();  // stops
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    // Opens the pseudo-terminal pair and starts answering. 0 or an errno value.
    int Start();
    void Stop();
    std::string SlavePath() const;

    // Everything received since Start (for tests to check what reached the wire).
    std::string Received() const;
    // Received() once at least `bytes` have come, or when `within` has passed: the module reads on
    // a thread of its own, so what a writer has just sent can still be on its way.
    std::string ReceivedAtLeast(std::size_t bytes,
                                std::chrono::milliseconds within = std::chrono::seconds(5)) const;
    void ClearReceived();
    // The module's settings, key -> value, as "at+KEY=?" would answer.
    std::map<std::string, std::string> State() const;
    bool Transparent() const;
    void SetOptions(const SimOptions& options);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
