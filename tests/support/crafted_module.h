// A module that answers one crafted text once the query's last line has arrived, for answers
// the simulator would never give.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "pty_pair.h"

class CraftedModule {
  public:
    explicit CraftedModule(std::string answer);
    ~CraftedModule();
    CraftedModule(const CraftedModule&) = delete;
    CraftedModule& operator=(const CraftedModule&) = delete;

    const std::string& Path() const { return pty_.path; }

  private:
    void Serve();

    PtyPair pty_;
    std::string answer_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// An answer as the module gives it: the echo, CR CR LF, the value and CR.
std::string Answer(const std::string& key, const std::string& value);
