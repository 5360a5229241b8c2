#include "crafted_module.h"

#include <poll.h>
#include <unistd.h>

CraftedModule::CraftedModule(std::string answer) : answer_(std::move(answer)) {
    thread_ = std::thread([this] { Serve(); });
}

CraftedModule::~CraftedModule() {
    stop_ = true;
    thread_.join();
}

void CraftedModule::Serve() {
    std::string received;
    bool answered = false;
    while (!stop_) {
        pollfd p{pty_.master, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
        char buffer[512];
        const ssize_t n = read(pty_.master, buffer, sizeof buffer);
        if (n <= 0) continue;
        received.append(buffer, static_cast<std::size_t>(n));
        if (!answered && received.find("at+COM2=?\r\n") != std::string::npos) {
            answered = write(pty_.master, answer_.data(), answer_.size()) > 0;
        }
    }
}

std::string Answer(const std::string& key, const std::string& value) {
    return "at+" + key + "=?\r\r\n" + value + "\r";
}
