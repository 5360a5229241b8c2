// UUCP lock files, as terminal programs that neither flock nor open exclusively leave them: a
// live owner keeps the port, a dead one's lock is cleared, and ours lasts as long as the port.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "pty_pair.h"
#include "serial_port.h"
#include "temp_dir.h"

namespace {

// A process that stays alive under a program name of our choosing until the test ends.
struct Holder {
    explicit Holder(const char* program) {
        int named[2];
        (void)!pipe(named);
        (void)!pipe(release);
        pid = fork();
        if (pid == 0) {
            prctl(PR_SET_NAME, program);
            (void)!write(named[1], "x", 1);
            char c;
            close(release[1]);
            (void)!read(release[0], &c, 1);
            _exit(0);
        }
        char c;
        (void)!read(named[0], &c, 1);
        close(named[0]);
        close(named[1]);
    }
    ~Holder() {
        close(release[1]);
        close(release[0]);
        waitpid(pid, nullptr, 0);
    }
    int release[2] = {-1, -1};
    pid_t pid = -1;
};

std::string AsciiPid(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

class UucpLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.path.empty());
        setenv("QN7_LOCK_DIR", dir.Path().c_str(), 1);
        // /dev/pts/N is locked as "LCK..pts_N" and as "LCK..N".
        const std::string below = pty.path.substr(5);
        pathName =
            "LCK.." + below.substr(0, below.find('/')) + "_" + below.substr(below.find('/') + 1);
        baseName = "LCK.." + pty.path.substr(pty.path.rfind('/') + 1);
    }
    void TearDown() override { unsetenv("QN7_LOCK_DIR"); }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(dir.Path() / name);
    }

    TempDir dir;
    PtyPair pty;
    std::string pathName;
    std::string baseName;
    CSerial port;
};

TEST_F(UucpLockTest, LiveOwnerInEitherFormKeepsThePortNamingPidAndProgram) {
    Holder minicom("minicom");
    int binary = minicom.pid;
    const std::string forms[] = {AsciiPid(minicom.pid),
                                 std::string(reinterpret_cast<char*>(&binary), 4)};
    for (const std::string& name : {pathName, baseName}) {
        for (const std::string& form : forms) {
            dir.Write(name, form);
            EXPECT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, true), kErrorSharingViolation);
            const std::string& why = port.LastErrorText();
            EXPECT_NE(why.find("busy"), std::string::npos) << why;
            EXPECT_NE(why.find("minicom"), std::string::npos) << why;
            EXPECT_NE(why.find(std::to_string(minicom.pid)), std::string::npos) << why;
            EXPECT_EQ(dir.Read(name), form);  // the owner's lock is left alone
            std::filesystem::remove(dir.Path() / name);
        }
    }
}

TEST_F(UucpLockTest, LockNamingNoProcessIsTakenAsBusy) {
    dir.Write(baseName, "");
    EXPECT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, true), kErrorSharingViolation);
    EXPECT_NE(port.LastErrorText().find(baseName), std::string::npos) << port.LastErrorText();
}

TEST_F(UucpLockTest, StaleLockIsClearedAndOursLastsAsLongAsThePort) {
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    dir.Write(pathName, AsciiPid(dead));
    dir.Write(baseName, AsciiPid(getpid()));  // ours from an earlier life of this PID

    ASSERT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, true), 0) << port.LastErrorText();
    EXPECT_EQ(dir.Read(pathName), AsciiPid(getpid()));
    EXPECT_EQ(dir.Read(baseName), AsciiPid(getpid()));
    port.ClosePort();
    EXPECT_FALSE(Exists(pathName));
    EXPECT_FALSE(Exists(baseName));

    {
        CSerial scoped;  // destruction removes it too
        ASSERT_EQ(scoped.OpenPort(pty.path.c_str(), 0, 0, true), 0);
        EXPECT_TRUE(Exists(pathName));
    }
    EXPECT_FALSE(Exists(pathName));
}

TEST_F(UucpLockTest, WithoutAWritableLockFolderThePortStillOpens) {
    setenv("QN7_LOCK_DIR", (dir.Path() / "missing").c_str(), 1);
    EXPECT_EQ(port.OpenPort(pty.path.c_str(), 0, 0, true), 0) << port.LastErrorText();
}

}  // namespace
