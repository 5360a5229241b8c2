#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

#include "process_probe.h"

namespace {

// After the fork: async-signal-safe calls only.
void ChildExec(const std::string& program, std::vector<char*>& argv, std::vector<char*>& envp,
               const ProcessSetup& setup, int in, int out, int err) {
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (setup.output == "-") {
        close(STDOUT_FILENO);
    } else if (setup.output == "|") {
        int gone[2];
        if (pipe(gone) != 0 || dup2(gone[1], STDOUT_FILENO) < 0) _exit(126);
        close(gone[0]);
        close(gone[1]);
    } else if (!setup.output.empty()) {
        const int file = open(setup.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file < 0 || dup2(file, STDOUT_FILENO) < 0) _exit(126);
    }
    std::signal(SIGPIPE, SIG_DFL);
    if (setup.asNobody && !BecomeNobody()) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
}

// This process's environment with `changes` ("NAME=VALUE") put over it.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        const std::string_view name = text.substr(0, text.find('='));
        bool changed = false;
        for (const std::string& change : changes)
            changed = changed || change.substr(0, change.find('=')) == name;
        if (!changed) result.emplace_back(text);
    }
    result.insert(result.end(), changes.begin(), changes.end());
    return result;
}

// Feeds the input and drains both outputs together, so neither pipe can fill and stall the child.
void Pump(int inFd, std::string_view input, int outFd, int errFd, ProcessResult& result) {
    std::array<pollfd, 3> fds = {{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}, {inFd, POLLOUT, 0}}};
    std::array<std::string*, 2> sinks = {&result.out, &result.err};
    std::size_t written = 0;
    if (input.empty()) {
        close(inFd);
        fds[2].fd = -1;
    }
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
        for (std::size_t i = 0; i < sinks.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {
            const ssize_t n = write(inFd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size()) {
                close(inFd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) close(inFd);
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::string_view input, const ProcessSetup& setup) {
    ProcessResult result;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return result;
    }
    // Built before the fork: the child may only make async-signal-safe calls.
    std::vector<std::string> storage{program};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = EnvironmentWith(setup.environment);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid == 0) ChildExec(program, argv, envp, setup, in[0], out[1], err[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }
    Pump(in[1], input, out[0], err[0], result);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
