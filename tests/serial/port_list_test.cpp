#include "port_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "fake_system_tree.h"

namespace {

namespace fs = std::filesystem;

class SerialPortList : public ::testing::Test {
  protected:
    void TearDown() override { fs::remove_all(tree.Root()); }

    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const SerialPortInfo& port : ListSerialPortsUnder(tree.Root())) {
            paths.push_back(port.path);
        }
        return paths;
    }

    FakeSystemTree tree{fs::temp_directory_path() /
                        ("qn7-ports-" + std::to_string(getpid()) + "-" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name())};
};

TEST_F(SerialPortList, NumbersSortNaturallyHoweverLong) {
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB123456789012345678901234", "ttyUSB007"})
        tree.AddNode(name);
    std::vector<std::string> expected;
    for (const char* name : {"ttyUSB2", "ttyUSB007", "ttyUSB10", "ttyUSB123456789012345678901234"})
        expected.push_back(tree.Dev(name));
    EXPECT_EQ(Paths(), expected);
}

TEST_F(SerialPortList, ListsSerialDevicesOnlyAndFittedUarts) {
    for (const char* name : {"tty1", "tty", "console", "ptmx", "ttyS2", "ttyAMA0", "rfcomm0"})
        tree.AddNode(name);
    tree.AddUart("ttyS0", 4);
    tree.AddUart("ttyS1", 0);  // nothing fitted
    // ttyS2 has no sysfs entry at all: not listed either.
    EXPECT_EQ(Paths(), (std::vector<std::string>{tree.Dev("rfcomm0"), tree.Dev("ttyAMA0"),
                                                 tree.Dev("ttyS0")}));
    EXPECT_TRUE(ListSerialPortsUnder(tree.Root() / "none").empty());
}

TEST_F(SerialPortList, DescribesEachDeviceFromSysfs) {
    tree.AddUsbSerial("ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI");
    tree.AddUsbSerial("ttyACM0", "Arduino (www.arduino.cc)", "", "7563331");
    // The product already names its maker; a device without strings shows its IDs.
    tree.AddUsbSerial("ttyUSB1", "Prolific", "Prolific USB-Serial Controller", "");
    tree.AddUsbSerial("ttyUSB2", "", "", "", "1a86", "7523");
    tree.AddNode("ttyUSB3");  // no sysfs entry: only the kind of device is known
    tree.AddUart("ttyS0", 4);
    tree.AddNode("rfcomm0");
    const std::vector<SerialPortInfo> expected = {
        {tree.Dev("rfcomm0"), "Bluetooth serial link"},
        {tree.Dev("ttyACM0"), "Arduino (www.arduino.cc) (7563331)"},
        {tree.Dev("ttyS0"), "on-board serial port"},
        {tree.Dev("ttyUSB0"), "FTDI FT232R USB UART (A50285BI)"},
        {tree.Dev("ttyUSB1"), "Prolific USB-Serial Controller"},
        {tree.Dev("ttyUSB2"), "USB device 1a86:7523"},
        {tree.Dev("ttyUSB3"), "USB serial adapter"},
    };
    EXPECT_EQ(ListSerialPortsUnder(tree.Root()), expected);
    EXPECT_EQ(PortLabel(expected[3]),
              tree.Dev("ttyUSB0") + " \u2014 FTDI FT232R USB UART (A50285BI)");
    EXPECT_EQ(PortLabel({"/dev/pts/3", ""}), "/dev/pts/3");
}

TEST_F(SerialPortList, StableNamesComeLastAndTellWhatTheyStandFor) {
    tree.AddUsbSerial("ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI");
    const std::string link = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    tree.AddByIdLink(link, "ttyUSB0");
    tree.AddByIdLink("usb-gone-if00-port0", "ttyUSB9");  // a dangling link
    const std::vector<SerialPortInfo> ports = ListSerialPortsUnder(tree.Root());
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[1].path, tree.Dev("serial/by-id/" + link));
    const std::string target = fs::canonical(tree.Dev("ttyUSB0")).string();
    EXPECT_EQ(ports[1].description, "FTDI FT232R USB UART (A50285BI), same as " + target);
    EXPECT_EQ(ports[2], (SerialPortInfo{tree.Dev("serial/by-id/usb-gone-if00-port0"), ""}));
}

TEST(SerialPortChanges, TellWhatCameAndWentByPath) {
    const std::vector<SerialPortInfo> before = {{"/dev/ttyS0", "on-board serial port"},
                                                {"/dev/ttyUSB0", "FTDI FT232R USB UART (A1)"}};
    const std::vector<SerialPortInfo> after = {{"/dev/ttyACM0", "Pico (E66)"},
                                               {"/dev/ttyS0", "on-board serial port"}};
    const PortChanges changes = ComparePortLists(before, after);
    EXPECT_EQ(changes.added, (std::vector<SerialPortInfo>{after[0]}));
    EXPECT_EQ(changes.removed, (std::vector<SerialPortInfo>{before[1]}));
    EXPECT_EQ(PortChangesLogText(changes),
              "(:Port added: /dev/ttyACM0 \u2014 Pico (E66)\r\n"
              "(:Port removed: /dev/ttyUSB0 \u2014 FTDI FT232R USB UART (A1)\r\n");
    EXPECT_TRUE(ComparePortLists(after, after).Empty());
}

// Windows names its ports through two sources: the devices of the ports class and SERIALCOMM.
TEST(WindowsPortNames, FriendlyNamesFirstThenTheKernelDevicesKind) {
    WindowsPortSources sources;
    sources.serialComm = {{"\\Device\\USBSER000", "COM17"}, {"\\Device\\Serial0", "COM1"},
                          {"\\Device\\VCP0", "com5"},       {"\\Device\\Silabser0", "COM3"},
                          {"\\Device\\BthModem2", "COM40"}, {"\\Device\\com0com10", "CNCA0"},
                          {"\\Device\\Serial1", ""}};
    sources.portsClass = {{"COM5", "USB-SERIAL CH340 (COM5)"},
                          {"COM17", "USB Serial Device (com17)"},
                          {"COM2", "Communications Port (COM2)"},
                          {"COM9", ""},
                          {"COM3", "Silicon Labs CP210x USB to UART Bridge (COM3)"},
                          {"LPT1", "Printer Port (LPT1)"},
                          {"COMX", "Not a port"}};
    const std::vector<SerialPortInfo> expected = {
        {"CNCA0", "com0com10"},  // an unknown driver: its device's own name
        {"COM1", "serial port"},
        {"COM2", "Communications Port"},  // in the class only
        {"COM3", "Silicon Labs CP210x USB to UART Bridge"},
        {"COM5", "USB-SERIAL CH340"},
        {"COM9", ""},
        {"COM17", "USB Serial Device"},
        {"COM40", "Bluetooth serial link"},
    };
    EXPECT_EQ(DescribeWindowsPorts(sources), expected);
    EXPECT_EQ(PortLabel(expected[4]), "COM5 \u2014 USB-SERIAL CH340");
    EXPECT_TRUE(DescribeWindowsPorts({}).empty());
}

TEST(WindowsPortNames, TheListKeepsCom1To16AndAddsThePresentPortsBeyond) {
    const std::vector<SerialPortInfo> present = {{"COM3", "USB-SERIAL CH340"},
                                                 {"COM16", "serial port"},
                                                 {"COM17", "USB Serial Device"},
                                                 {"COM100", "FTDI USB serial adapter"}};
    const std::vector<SerialPortInfo> choices = WindowsPortChoices(present);
    ASSERT_EQ(choices.size(), 18u);
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(choices[n - 1].path, "COM" + std::to_string(n));
    EXPECT_EQ(choices[2], present[0]);
    EXPECT_EQ(choices[10], (SerialPortInfo{"COM11", ""}));  // where the list starts, present or not
    EXPECT_EQ(choices[15], present[1]);
    EXPECT_EQ(choices[16], present[2]);
    EXPECT_EQ(choices[17], present[3]);
    EXPECT_EQ(WindowsPortChoices({}).size(), 16u);
}

}  // namespace
