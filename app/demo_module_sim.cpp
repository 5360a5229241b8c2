#include <cstring>

#include "demo_module.h"
#include "sim_module.h"

namespace {

constexpr uint32_t kDemoBaud = 57600;

class SimDemoModule : public DemoModule {
  public:
    explicit SimDemoModule(const SimOptions& options)
        : module_(options), netAddress_(options.netAddr) {}
    int Start() { return module_.Start(); }
    std::string Port() const override { return module_.SlavePath(); }
    std::string NetAddress() const override { return netAddress_; }

  private:
    SimModule module_;
    std::string netAddress_;
};

}  // namespace

std::unique_ptr<DemoModule> StartDemoModule(std::string& error) {
    SimOptions options;
    options.baud = kDemoBaud;
    auto module = std::make_unique<SimDemoModule>(options);
    if (const int code = module->Start(); code != 0) {
        error = "cannot start the simulated module (errno " + std::to_string(code) + ": " +
                std::strerror(code) + ")";
        return nullptr;
    }
    return module;
}
