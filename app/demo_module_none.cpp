#include "demo_module.h"

std::unique_ptr<DemoModule> StartDemoModule(std::string& error) {
    error = "--demo is not available in this build (it has no simulated module)";
    return nullptr;
}
