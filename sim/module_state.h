// What the simulated module answers to one command line, and the settings it keeps.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct ModuleAnswer {
    std::string text;          // the echo of the line, then the answer
    std::size_t echoSize = 0;  // how much of `text` is the echo
    bool delayed = false;      // the answer comes after the scan delay
    bool enterTransparent = false;
};

class ModuleState {
  public:
    ModuleState() { RestoreFactory(); }

    // `line` is one received line without its CR (and LF).
    ModuleAnswer Answer(std::string_view line);
    void RestoreFactory();
    // Settings of `key` are answered "ok" and not taken; empty: every setting is taken.
    void IgnoreSetting(std::string key) { ignoredSetting_ = std::move(key); }
    // The address the module's network lives on, answered as net_wanip (which only a query
    // reaches): the address in use, whatever a static net_ip says.
    void SetAddressInUse(std::string address);
    const std::map<std::string, std::string>& Settings() const { return settings_; }

  private:
    std::string AnswerCommand(std::string_view key, std::string_view value, ModuleAnswer* answer);

    std::map<std::string, std::string> settings_;
    std::string ignoredSetting_;
    std::string addressInUse_ = "127.0.0.1";
};
