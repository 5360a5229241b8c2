// Saving a user slot when the disk says no: a read-only folder, a full or size-limited file
// system, a process killed mid-write. The old slot survives byte for byte and no temporary file
// is left where the next save or a user would take it for a slot.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "pane.h"
#include "process_probe.h"
#include "session.h"
#include "user_slots.h"

namespace {

namespace fs = std::filesystem;

const std::string kOldSlot = "at+netmode=2\r\nat+wifi_conf=OLD,wpa2_aes,oldkey\r\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class FaultSlotSave : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qn7-slot-fault-" + std::to_string(getpid()));
        fs::create_directories(dir);
        std::ofstream(dir / "user0", std::ios::binary) << kOldSlot;
    }
    void TearDown() override {
        umount2(dir.c_str(), MNT_DETACH);  // only the full-disk case mounts; harmless otherwise
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }
    // In a child, after `setup`: a save of `pane` text must fail and say so in the log pane.
    int SaveFailsInChild(const std::string& text, const std::function<bool()>& setup) const {
        return RunInChild([&] {
            if (!setup()) return 30;
            MemoryPane cmd;
            MemoryPane log;
            Session session(&cmd, &log);
            cmd.Append(text);
            session.SetSlotDirectory(dir);
            if (session.SaveUserSlot("user0")) return 31;
            return log.Text().starts_with("Could not save user slot \"") ? 0 : 32;
        });
    }
    void ExpectOldSlotAlone() const {
        EXPECT_EQ(ReadFile(dir / "user0"), kOldSlot);
        EXPECT_EQ(Names(dir), std::vector<std::string>{"user0"});
    }
    fs::path dir;
};

TEST_F(FaultSlotSave, ReadOnlyFolder) {
    // Root writes anywhere: the save runs as nobody in a folder only root may write. An ordinary
    // user gets a folder without write permission. Either may not write the slot itself, which
    // would otherwise be rewritten in place.
    const bool root = geteuid() == 0;
    fs::permissions(dir / "user0", fs::perms::owner_read | fs::perms::group_read);
    const fs::perms readAndSearch = fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(dir, root ? readAndSearch | fs::perms::owner_write : readAndSearch);
    EXPECT_EQ(SaveFailsInChild("at+netmode=1\r\n", [root] { return !root || BecomeNobody(); }), 0);
    ExpectOldSlotAlone();
}

TEST_F(FaultSlotSave, FileSizeLimitReached) {
    const std::string big(64 * 1024, 'x');
    EXPECT_EQ(SaveFailsInChild(big,
                               [] {
                                   // The write fails with EFBIG instead of killing the process.
                                   signal(SIGXFSZ, SIG_IGN);
                                   rlimit limit{4096, 4096};
                                   return setrlimit(RLIMIT_FSIZE, &limit) == 0;
                               }),
              0);
    ExpectOldSlotAlone();
}

TEST_F(FaultSlotSave, FullFileSystem) {
    if (geteuid() != 0 || mount("qn7fault", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    std::ofstream(dir / "user0", std::ios::binary) << kOldSlot;
    {
        std::ofstream filler(dir / "filler", std::ios::binary);
        filler << std::string(1 << 20, 'f');  // stops short where the tmpfs is full
    }
    EXPECT_EQ(SaveFailsInChild(std::string(32 * 1024, 'x'), [] { return true; }), 0);
    fs::remove(dir / "filler");
    ExpectOldSlotAlone();
}

// The temporary of an interrupted save keeps its own name ("user0.tmp<pid>-<n>"): nothing reads
// it as the slot, and the next save makes a fresh one and replaces the slot as usual.
TEST_F(FaultSlotSave, KilledMidWriteLeavesTheSlotWholeAndTheNextSaveWorks) {
    const std::string big(64 << 20, 'n');
    bool killedMidWrite = false;
    for (int attempt = 0; attempt < 5 && !killedMidWrite; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            MemoryPane cmd;
            Session session(&cmd, nullptr);
            cmd.Append(big);
            session.SetSlotDirectory(dir);
            session.SaveUserSlot("user0");
            _exit(0);
        }
        // Kill it as soon as its temporary appears.
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
             Names(dir).size() < 2 && std::chrono::steady_clock::now() < end;)
            std::this_thread::yield();
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string slot = ReadFile(dir / "user0");
        killedMidWrite = slot == kOldSlot;
        // Never a part: the old text or the whole new one.
        ASSERT_TRUE(killedMidWrite || slot == big) << "slot holds " << slot.size() << " bytes";
        if (!killedMidWrite) std::ofstream(dir / "user0", std::ios::binary) << kOldSlot;
    }
    ASSERT_TRUE(killedMidWrite) << "every save finished before it could be killed";

    std::string read;
    ASSERT_TRUE(ReadUserSlot(dir, "user0", read));
    EXPECT_EQ(read, kOldSlot);
    MemoryPane cmd;
    Session session(&cmd, nullptr);
    session.SetSlotDirectory(dir);
    cmd.Append("at+netmode=3\r\n");
    EXPECT_TRUE(session.SaveUserSlot("user0"));
    EXPECT_EQ(ReadFile(dir / "user0"), "at+netmode=3\r\n");
}

}  // namespace
