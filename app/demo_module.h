// The simulated module of --demo, where the build has one (QN7_DEMO_MODULE): it answers at a
// rate other than the initial link rate, so the search has something to find, and leaves
// transparent mode by itself so the demo can go on.
#pragma once

#include <memory>
#include <string>

class DemoModule {
  public:
    virtual ~DemoModule() = default;
    // The port the program opens to reach it.
    virtual std::string Port() const = 0;
};

// Starts the demo module; nullptr, with `error` saying why, when it cannot start or the build
// has none.
std::unique_ptr<DemoModule> StartDemoModule(std::string& error);
