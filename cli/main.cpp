// qn7cfg: the dialog's exchanges from a shell, for scripted provisioning.
#include <string>
#include <vector>

#include "cli_main.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunOnStandardStreams(args);
}
