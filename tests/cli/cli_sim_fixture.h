// qn7cfg against the simulated module: the simulator, its port and a folder for scripts and
// slots, for the suites that run qn7cfg in-process and as a process.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim_module.h"
#include "temp_dir.h"

// What the query exchange writes at 9600 baud and above: version and remote IP, the spacer
// line, then the block of 27 query lines.
inline constexpr std::size_t kQueryBytes = 25 + 129 + 393;
// Below 9600: five chunks, keys 1 to 19.
inline constexpr std::size_t kSlowQueryBytes = 57 + 58 + 62 + 52 + 50;

inline std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliOnSim : public ::testing::Test {
  protected:
    void StartSim(SimOptions options = {}) {
        options.scanDelayMs = 50;
        sim_ = std::make_unique<SimModule>(options);
        ASSERT_EQ(sim_->Start(), 0);
        port_ = sim_->SlavePath();
    }
    void SetUp() override { StartSim(); }

    std::unique_ptr<SimModule> sim_;
    std::string port_;
    TempDir dir_{"qn7cfg-test"};
};
