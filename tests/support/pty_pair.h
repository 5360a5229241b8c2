// A pseudo-terminal pair for the port tests: the test talks on the master side.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

struct PtyPair {
    PtyPair() {
        char name[128];
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
    }
    ~PtyPair() {
        CloseMaster();
        if (slave >= 0) close(slave);
    }
    void CloseMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
    std::string ReadMaster() const {
        std::string text;
        char buffer[256];
        fcntl(master, F_SETFL, O_NONBLOCK);
        for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
        return text;
    }
    int master = -1;
    int slave = -1;
    std::string path;
};
