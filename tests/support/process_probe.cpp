#include "process_probe.h"

#include <dirent.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

int OpenFdCount() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (readdir(dir)) ++count;
    closedir(dir);
    return count;
}

std::size_t ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

long CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000L + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

std::size_t ResidentGrowthAllowanceKiB() {
#if defined(__SANITIZE_ADDRESS__)
    return 48 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return 48 * 1024;
#endif
#endif
    return 4 * 1024;
}

int RunInChild(const std::function<int()>& child) {
    const pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool BecomeNobody() {
    return setgroups(0, nullptr) == 0 && setgid(kNobodyId) == 0 && setuid(kNobodyId) == 0;
}
