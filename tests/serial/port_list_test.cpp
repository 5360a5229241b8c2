#include "port_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(SerialPortList, NumbersSortNaturallyHoweverLong) {
    fs::path root = fs::temp_directory_path() / ("qn7-ports-" + std::to_string(getpid()));
    fs::create_directories(root / "dev");
    fs::create_directories(root / "sys");
    const char* names[] = {"ttyUSB10", "ttyUSB2", "ttyUSB123456789012345678901234", "ttyUSB007"};
    for (const char* name : names) std::ofstream(root / "dev" / name).put('\n');
    std::vector<std::string> expected;
    for (const char* name : {"ttyUSB2", "ttyUSB007", "ttyUSB10", "ttyUSB123456789012345678901234"})
        expected.push_back((root / "dev" / name).string());
    EXPECT_EQ(ListSerialPortsUnder(root / "dev", root / "sys"), expected);
    fs::remove_all(root);
}

}  // namespace
