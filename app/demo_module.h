// The simulated module of --demo, where the build has one (QN7_DEMO_MODULE): it answers at a
// rate other than the initial link rate, so the search has something to find. In transparent
// mode it bridges its serial line to a socket on the loopback address, which the Bridge window
// shows; the window's escape brings it back to command mode.
#pragma once

#include <memory>
#include <string>

class DemoModule {
  public:
    virtual ~DemoModule() = default;
    // The port the program opens to reach it.
    virtual std::string Port() const = 0;
    // The address its network side uses (the address in use it answers).
    virtual std::string NetAddress() const = 0;
};

// Starts the demo module; nullptr, with `error` saying why, when it cannot start or the build
// has none.
std::unique_ptr<DemoModule> StartDemoModule(std::string& error);
