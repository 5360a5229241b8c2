// The port list as a user meets it: typed paths confirmed with Enter through the focused
// widget, entries that tell devices apart, and hot-plug on a fake system tree.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "control_ids.h"
#include "dialog_fixture.h"
#include "fake_system_tree.h"
#include "pane.h"
#include "port_combo_box.h"
#include "presets.h"
#include "sim_module.h"

namespace {

constexpr int kHotPlugTimeoutMs = 5000;
constexpr int kExchangeTimeoutMs = 15000;

bool Logged(CQN7_SETUPTOOLDlg& dialog, std::string_view part) {
    return dialog.GetSession().LogPane()->Text().find(part) != std::string::npos;
}

// Types `text` into the widget with the keyboard focus, over whatever it held, and presses Enter.
void TypeAndEnter(const QString& text) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focus, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

}  // namespace

class AppPortListTest : public QObject {
    Q_OBJECT
  private slots:
    void typedPathConfirmedWithEnterIsThePortInUse_data();
    void typedPathConfirmedWithEnterIsThePortInUse();
    void typedPtyPathIsWhatTheNextExchangeOpens();
    void entriesTellDevicesApartAndTheFieldHoldsThePath();
    void longNamesAreShownApartAndTheDropDownFitsThem();
    void hotPlugUpdatesTheListKeepsTheSelectionAndLogs();

  private:
    QTemporaryDir root_;
};

void AppPortListTest::typedPathConfirmedWithEnterIsThePortInUse_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("on-board UART") << "/dev/ttyAMA0";
    QTest::newRow("Bluetooth") << "/dev/rfcomm0";
    QTest::newRow("pseudo-terminal") << "/dev/pts/7";
    QTest::newRow("by-id link") << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    // A prefix of a listed port is taken as typed, not completed to the listed one.
    QTest::newRow("prefix of a listed port") << "/dev/ttyS1";
}

void AppPortListTest::typedPathConfirmedWithEnterIsThePortInUse() {
    QFETCH(QString, path);
    CQN7_SETUPTOOLDlg dialog;
    dialog.UsePort(QStringLiteral("/dev/ttyS10"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.Control(ctl::kComPortList)->setFocus();
    TypeAndEnter(path);
    QCOMPARE(QString::fromStdString(dialog.Link().port), path);
    auto* ports = ControlOf<PortComboBox>(dialog, ctl::kComPortList);
    QCOMPARE(ports->Port(), path);
    QCOMPARE(ports->toolTip(), path);
    // Enter went to the port list only: no exchange, and the dialog is still there.
    QVERIFY(!dialog.Runner().Busy());
    QVERIFY(dialog.isVisible());
    // The path stays in the list, so it can be picked again after another one.
    QVERIFY(ports->findData(path, Qt::EditRole) >= 0);
}

void AppPortListTest::typedPtyPathIsWhatTheNextExchangeOpens() {
    SimModule module;
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.UsePort(QStringLiteral("/dev/qn7-previous-port"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.Control(ctl::kComPortList)->setFocus();
    TypeAndEnter(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kSubmit), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(module.Received(), std::string(FirstPresetScript()));
}

void AppPortListTest::entriesTellDevicesApartAndTheFieldHoldsThePath() {
    FakeSystemTree tree(root_.filePath("describe").toStdString());
    tree.AddUsbSerial("ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI");
    tree.AddUsbSerial("ttyUSB1", "FTDI", "FT232R USB UART", "A9XK3LQ2");
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* ports = ControlOf<PortComboBox>(dialog, ctl::kComPortList);
    ports->SetDeviceRoot(tree.Root());
    QCOMPARE(ports->count(), 2);
    const QString second = QString::fromStdString(tree.Dev("ttyUSB1"));
    QCOMPARE(ports->itemData(1, Qt::DisplayRole).toString(),
             second + QStringLiteral(" — FTDI FT232R USB UART (A9XK3LQ2)"));
    // Picked with the keyboard, as a user would: the field and the link take the path alone.
    // Down from wherever the list stands (no entry, or the first) to the last entry.
    ports->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(ports->currentIndex(), 1);
    QCOMPARE(ports->lineEdit()->text(), second);
    QCOMPARE(QString::fromStdString(dialog.Link().port), second);
    QCOMPARE(ports->toolTip(), ports->itemData(1, Qt::DisplayRole).toString());
}

void AppPortListTest::longNamesAreShownApartAndTheDropDownFitsThem() {
    FakeSystemTree tree(root_.filePath("long").toStdString());
    tree.AddUsbSerial("ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI");
    tree.AddUsbSerial("ttyUSB1", "FTDI", "FT232R USB UART", "A9XK3LQ2");
    tree.AddByIdLink("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    tree.AddByIdLink("usb-FTDI_FT232R_USB_UART_A9XK3LQ2-if00-port0", "ttyUSB1");
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* ports = ControlOf<PortComboBox>(dialog, ctl::kComPortList);
    ports->SetDeviceRoot(tree.Root());
    QCOMPARE(ports->count(), 4);
    // The two stable names differ only near their end; the narrow field shows that end.
    ports->setCurrentIndex(2);
    const QImage first = ports->lineEdit()->grab().toImage();
    ports->setCurrentIndex(3);
    const QImage second = ports->lineEdit()->grab().toImage();
    QVERIFY(first != second);

    ports->showPopup();
    QAbstractItemView* list = ports->view();
    QTRY_VERIFY(list->isVisible());
    const int wanted =
        std::min(list->sizeHintForColumn(0), ports->screen()->availableSize().width());
    QVERIFY2(list->width() >= wanted,
             qPrintable(QString("%1 < %2").arg(list->width()).arg(wanted)));
    QVERIFY(list->width() > ports->width());
    ports->hidePopup();
}

void AppPortListTest::hotPlugUpdatesTheListKeepsTheSelectionAndLogs() {
    FakeSystemTree tree(root_.filePath("hotplug").toStdString());
    tree.AddUsbSerial("ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI");
    tree.AddUsbSerial("ttyACM0", "Raspberry Pi", "Pico", "E6614C311B");
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* ports = ControlOf<PortComboBox>(dialog, ctl::kComPortList);
    ports->SetDeviceRoot(tree.Root());
    const QString acm = QString::fromStdString(tree.Dev("ttyACM0"));
    const QString usb1 = QString::fromStdString(tree.Dev("ttyUSB1"));
    ports->setFocus();
    TypeAndEnter(acm);  // an entry of the list, picked by its path
    QCOMPARE(ports->currentIndex(), 0);

    // Plugged in: listed without reopening the list, before the selected one in port order.
    tree.AddUsbSerial("ttyUSB1", "Silicon Labs", "CP2102 USB to UART Bridge Controller", "0001");
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 3, kHotPlugTimeoutMs);
    QCOMPARE(ports->Port(), acm);
    QCOMPARE(ports->currentIndex(), ports->findData(acm, Qt::EditRole));
    QVERIFY(Logged(dialog, "(:Port added: " + usb1.toStdString() +
                               " — Silicon Labs CP2102 USB to UART Bridge Controller (0001)\r\n"));

    // Unplugged: gone from the list, and said so.
    tree.RemoveNode("ttyUSB0");
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 2, kHotPlugTimeoutMs);
    QVERIFY(Logged(dialog, "(:Port removed: " + tree.Dev("ttyUSB0") + " — FTDI FT232R USB UART"));
    QCOMPARE(ports->Port(), acm);

    // The selected port goes: the field keeps it, so the link still names what the user chose,
    // and it is selected again when it comes back.
    tree.RemoveNode("ttyACM0");
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 1, kHotPlugTimeoutMs);
    QCOMPARE(ports->Port(), acm);
    QCOMPARE(QString::fromStdString(dialog.Link().port), acm);
    tree.AddNode("ttyACM0");
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 2, kHotPlugTimeoutMs);
    QCOMPARE(ports->currentIndex(), ports->findData(acm, Qt::EditRole));

    // The first adapter with a stable name makes /dev/serial/by-id: that is watched too.
    tree.AddByIdLink("usb-Raspberry_Pi_Pico_E6614C311B-if00", "ttyACM0");
    QTRY_COMPARE_WITH_TIMEOUT(ports->count(), 3, kHotPlugTimeoutMs);
}

QTEST_MAIN(AppPortListTest)
#include "tst_app_port_list.moc"
