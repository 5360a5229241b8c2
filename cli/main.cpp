// qn7cfg: the dialog's exchanges from a shell, for scripted provisioning.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include <iostream>
#include <string>
#include <vector>

#include "cli_main.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // Scripts and replies carry their own CR LF: the standard streams pass bytes unchanged
    // instead of turning each LF into another CR LF.
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunCli(args, std::cin, std::cout, std::cerr);
}
