// The file replacement under user slots, on every system the core builds for.
#include "atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qn7-atomic-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(fs::create_directory(dir));
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string FileText(const fs::path& file) const {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<fs::path> Entries() const {
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path());
        return names;
    }

    fs::path dir;
};

TEST_F(AtomicFileTest, CreatesThenReplacesWithTheExactBytes) {
    const fs::path target = dir / "user0";
    const std::string first = "at+netmode=2\r\n\0tail\n\xFF"s;
    ASSERT_FALSE(ReplaceFileAtomically(target, first));
    EXPECT_EQ(FileText(target), first);
    ASSERT_FALSE(ReplaceFileAtomically(target, "short"));
    EXPECT_EQ(FileText(target), "short");
    ASSERT_FALSE(ReplaceFileAtomically(target, ""));
    EXPECT_EQ(FileText(target), "");
    EXPECT_EQ(Entries(), std::vector<fs::path>{target});
}

// Wide on Windows, bytes on POSIX: a name outside ASCII must reach the system unchanged.
TEST_F(AtomicFileTest, NameOutsideAsciiIsKept) {
    const fs::path target = dir / fs::path(u8"\u7528\u6237\u69fd");
    ASSERT_FALSE(ReplaceFileAtomically(target, "x"));
    EXPECT_EQ(Entries(), std::vector<fs::path>{target});
    EXPECT_EQ(FileText(target), "x");
}

TEST_F(AtomicFileTest, FailureLeavesNoTemporaryAndSaysWhy) {
    const fs::path folderInTheWay = dir / "user1";
    ASSERT_TRUE(fs::create_directory(folderInTheWay));
    std::ofstream(folderInTheWay / "keep") << "kept";
    const fs::path missingFolder = dir / "missing" / "user2";
    for (const fs::path& target : {folderInTheWay, missingFolder}) {
        const std::error_code error = ReplaceFileAtomically(target, "text");
        EXPECT_TRUE(error) << target;
        EXPECT_FALSE(error.message().empty()) << target;
    }
    EXPECT_EQ(Entries(), std::vector<fs::path>{folderInTheWay});
    EXPECT_EQ(FileText(folderInTheWay / "keep"), "kept");
}

}  // namespace
