// Port enumeration over a fake /dev and /sys/class/tty.
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "port_list.h"

namespace fs = std::filesystem;

class AppPortListTest : public QObject {
    Q_OBJECT
  private slots:
    void listsPresentSerialDevicesOnly();
};

void AppPortListTest::listsPresentSerialDevicesOnly() {
    QTemporaryDir root;
    const fs::path dev = root.filePath("dev").toStdString();
    const fs::path sys = root.filePath("sys").toStdString();
    fs::create_directories(dev / "serial" / "by-id");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "tty1",
                             "tty", "console", "ptmx"}) {
        std::ofstream(dev / name);
    }
    std::ofstream(dev / "serial" / "by-id" / "usb-Maker_Adapter-if00-port0");
    // ttyS0 is a fitted UART; ttyS1 is a placeholder (type 0); ttyS2 has no device at all.
    for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, std::pair{"ttyS1", "0"}}) {
        fs::create_directories(sys / name / "device");
        std::ofstream(sys / name / "type") << type << "\n";
    }
    const std::string d = dev.string();
    const std::vector<std::string> expected = {d + "/ttyACM0", d + "/ttyS0", d + "/ttyUSB2",
                                               d + "/ttyUSB10",
                                               d + "/serial/by-id/usb-Maker_Adapter-if00-port0"};
    QCOMPARE(ListSerialPortsUnder(dev, sys), expected);
    QVERIFY(ListSerialPortsUnder(root.filePath("none").toStdString(), sys).empty());
}

QTEST_GUILESS_MAIN(AppPortListTest)
#include "tst_app_port_list.moc"
