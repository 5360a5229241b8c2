#include "ports_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli_options.h"

namespace {

const std::vector<SerialPortInfo> kPorts = {
    {"/dev/ttyS0", "on-board serial port"},
    {"/dev/ttyUSB0", "FTDI FT232R USB UART (A50285BI)"},
    {"/dev/pts/\"odd\"", ""},
};

std::string Printed(const std::vector<SerialPortInfo>& ports, PortsFormat format) {
    std::ostringstream out;
    PrintPorts(ports, format, out);
    return out.str();
}

TEST(PortsCommand, PathsLabelsOrJson) {
    EXPECT_EQ(Printed(kPorts, PortsFormat::kPaths), "/dev/ttyS0\n/dev/ttyUSB0\n/dev/pts/\"odd\"\n");
    EXPECT_EQ(Printed(kPorts, PortsFormat::kLabels),
              "/dev/ttyS0 \u2014 on-board serial port\n"
              "/dev/ttyUSB0 \u2014 FTDI FT232R USB UART (A50285BI)\n/dev/pts/\"odd\"\n");
    EXPECT_EQ(
        Printed(kPorts, PortsFormat::kJson),
        "[\n"
        "  {\n    \"path\": \"/dev/ttyS0\",\n    \"description\": \"on-board serial port\"\n  },\n"
        "  {\n    \"path\": \"/dev/ttyUSB0\",\n"
        "    \"description\": \"FTDI FT232R USB UART (A50285BI)\"\n  },\n"
        "  {\n    \"path\": \"/dev/pts/\\\"odd\\\"\",\n    \"description\": \"\"\n  }\n"
        "]\n");
    EXPECT_EQ(Printed({}, PortsFormat::kJson), "[]\n");
}

TEST(PortsCommand, VerboseAndJsonAreOptionsOfPorts) {
    const std::vector<std::string> args = {"ports", "-v", "--json"};
    const ParseResult parsed = ParseCommandLine(args);
    ASSERT_TRUE(parsed.Ok()) << parsed.error;
    EXPECT_TRUE(parsed.options.verbose);
    EXPECT_TRUE(parsed.options.json);
}

}  // namespace
