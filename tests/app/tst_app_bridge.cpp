// The Bridge window through the user's path: the Bridge button, typing into the send lines,
// Connect, Check, Command mode and closing, against the simulated module and its socket on
// 127.0.0.1, and a flood from a pseudo-terminal.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "bridge_window.h"
#include "control_ids.h"
#include "dialog_fixture.h"
#include "loopback_socket.h"
#include "pane.h"
#include "pty_pair.h"
#include "serial_port.h"
#include "sim_module.h"
#include "temp_dir.h"
#include "traffic_view.h"

namespace {

constexpr int kTimeoutMs = 15000;  // generous: a loaded two-core machine
constexpr uint32_t kBaud = 921600;

SimOptions FastModule() {
    SimOptions options;
    options.baud = kBaud;
    options.escapeGuardMs = 1000;
    return options;
}

QPushButton* BridgeButton(const CQN7_SETUPTOOLDlg& dialog) {
    return dialog.findChild<QPushButton*>(QStringLiteral("bridgeButton"));
}

bool ExchangeButtonsEnabled(const CQN7_SETUPTOOLDlg& dialog) {
    for (int id : {ctl::kSearch, ctl::kSubmit, ctl::kQuery, ctl::kWifiScan, ctl::kTransparent,
                   ctl::kFactoryReset}) {
        if (!dialog.Control(id)->isEnabled()) return false;
    }
    return true;
}

void ClickAndWaitForExchange(CQN7_SETUPTOOLDlg& dialog, int id) {
    QTest::mouseClick(dialog.Control(id), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy() && dialog.Control(id)->isEnabled(),
                             kTimeoutMs);
}

// Types a line into a side's send line and presses Enter.
void TypeLine(BridgeWindow& window, BridgeSide side, const QString& text) {
    QLineEdit* line = window.Side(side).sendLine;
    line->setFocus();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Return);
}

bool ShowsRow(const BridgeWindow& window, BridgeSide side, const QString& row) {
    for (const QString& shown : window.Side(side).view->VisibleRows()) {
        if (shown.endsWith(row)) return true;
    }
    return false;
}

// Whether another program could open the port now.
bool PortFree(const std::string& path) {
    CSerial port;
    return port.OpenPort(path.c_str(), 0, 0, true) == 0;
}

}  // namespace

class AppBridgeTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void typingOnEitherSideArrivesOnTheOther();
    void checkShowsTheResultAndTheSidesComeBack();
    void commandModeBringsTheModuleBack();
    void closingReleasesThePortAndASecondOpenSucceedsAtOnce();
    void badEndpointIsReportedAndNothingOpens();
    void unpluggedPortSaysSoAndReplugWorksAgain();
    void floodKeepsTheWindowResponsiveAndCountsEveryByte();

  private:
    // The module queried, its socket's port set in the form and submitted (which ends in
    // transparent mode), then the Bridge window opened and connected: the demo's path.
    BridgeWindow* OpenConnectedWindow();

    std::unique_ptr<SimModule> module_;
    std::unique_ptr<CQN7_SETUPTOOLDlg> dialog_;
    uint16_t netPort_ = 0;
};

void AppBridgeTest::init() {
    module_ = std::make_unique<SimModule>(FastModule());
    QCOMPARE(module_->Start(), 0);
    dialog_ = std::make_unique<CQN7_SETUPTOOLDlg>();
    dialog_->Link().fast = true;
    dialog_->Link().baud = kBaud;
    dialog_->UsePort(QString::fromStdString(module_->SlavePath()));
    dialog_->show();
    netPort_ = LoopbackSocket::FreePort();
}

void AppBridgeTest::cleanup() {
    dialog_.reset();
    module_.reset();
}

BridgeWindow* AppBridgeTest::OpenConnectedWindow() {
    CQN7_SETUPTOOLDlg& dialog = *dialog_;
    // The query tells the address in use, which the window takes.
    ClickAndWaitForExchange(dialog, ctl::kQuery);
    auto* portEdit = ControlOf<QLineEdit>(dialog, ctl::kRemotePort);
    portEdit->selectAll();
    QTest::keyClicks(portEdit, QString::number(netPort_));
    // The composed script ends in "at+reconn=1": the module is transparent after it.
    ClickAndWaitForExchange(dialog, ctl::kSubmit);
    if (!module_->Transparent()) qFatal("the module did not enter transparent mode");

    QTest::mouseClick(BridgeButton(dialog), Qt::LeftButton);
    BridgeWindow* window = dialog.Bridge();
    if (window == nullptr) qFatal("no Bridge window");
    if (window->AddressEdit()->text() != QStringLiteral("127.0.0.1") ||
        window->PortEdit()->text() != QString::number(netPort_))
        qFatal("the window did not take the endpoint from the form: %s:%s",
               qPrintable(window->AddressEdit()->text()), qPrintable(window->PortEdit()->text()));
    QTest::mouseClick(window->ConnectButton(), Qt::LeftButton);
    return window;
}

void AppBridgeTest::typingOnEitherSideArrivesOnTheOther() {
    BridgeWindow* window = OpenConnectedWindow();
    QVERIFY(!ExchangeButtonsEnabled(*dialog_));
    QVERIFY(!BridgeButton(*dialog_)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(
        window->Side(BridgeSide::kNetwork).status->text().startsWith("connected to 127.0.0.1:"),
        kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(window->Side(BridgeSide::kSerial).status->text().contains(" baud"),
                             kTimeoutMs);

    TypeLine(*window, BridgeSide::kSerial, QStringLiteral("hello network"));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsRow(*window, BridgeSide::kNetwork, "< hello network"),
                             kTimeoutMs);
    QVERIFY(ShowsRow(*window, BridgeSide::kSerial, "> hello network"));
    QVERIFY(window->Side(BridgeSide::kSerial).sendLine->text().isEmpty());

    // The other line ending, chosen with the keyboard.
    QComboBox* ending = window->Side(BridgeSide::kNetwork).lineEnding;
    ending->setFocus();
    QTest::keyClick(ending, Qt::Key_Up);  // CR+LF -> LF
    QCOMPARE(ending->currentText(), QStringLiteral("LF"));
    TypeLine(*window, BridgeSide::kNetwork, QStringLiteral("hello module"));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsRow(*window, BridgeSide::kSerial, "< hello module"), kTimeoutMs);

    // Every byte counted on both sides, the line endings included.
    QTRY_COMPARE_WITH_TIMEOUT(window->Shell().Received(BridgeSide::kNetwork), uint64_t{15},
                              kTimeoutMs);
    QCOMPARE(window->Shell().Sent(BridgeSide::kSerial), uint64_t{15});
    QCOMPARE(window->Shell().Sent(BridgeSide::kNetwork), uint64_t{13});
    QTRY_COMPARE_WITH_TIMEOUT(window->Shell().Received(BridgeSide::kSerial), uint64_t{13},
                              kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        window->Side(BridgeSide::kSerial).counters->text().contains("> 15  < 13"), kTimeoutMs);

    // The hex view shows the same bytes, line breaks included.
    QTest::mouseClick(window->Side(BridgeSide::kSerial).hex, Qt::LeftButton);
    QVERIFY(ShowsRow(*window, BridgeSide::kSerial,
                     "< 68 65 6C 6C 6F 20 6D 6F 64 75 6C 65 0A           hello module."));
}

void AppBridgeTest::checkShowsTheResultAndTheSidesComeBack() {
    BridgeWindow* window = OpenConnectedWindow();
    QTRY_VERIFY_WITH_TIMEOUT(
        window->Side(BridgeSide::kNetwork).status->text().startsWith("connected to"), kTimeoutMs);
    QTest::mouseClick(window->CheckButton(), Qt::LeftButton);
    QVERIFY(!window->CheckButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window->CheckButton()->isEnabled(), 4 * kTimeoutMs);
    const QString result = window->Result()->toPlainText();
    QVERIFY2(result.contains("result        intact: every byte arrived intact both ways"),
             qPrintable(result));
    QVERIFY2(result.contains("to network    65536     65536     65536     0"), qPrintable(result));
    // The module stays transparent; the window has its port and its socket again.
    QVERIFY(module_->Transparent());
    QTRY_VERIFY_WITH_TIMEOUT(
        window->Side(BridgeSide::kNetwork).status->text().startsWith("connected to"), kTimeoutMs);
    TypeLine(*window, BridgeSide::kSerial, QStringLiteral("after the check"));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsRow(*window, BridgeSide::kNetwork, "< after the check"),
                             kTimeoutMs);
}

void AppBridgeTest::commandModeBringsTheModuleBack() {
    BridgeWindow* window = OpenConnectedWindow();
    QTest::mouseClick(window->CommandModeButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window->CommandModeButton()->isEnabled(), kTimeoutMs);
    QVERIFY2(window->Result()->toPlainText().endsWith("\nThe module answers commands again."),
             qPrintable(window->Result()->toPlainText()));
    QVERIFY(!module_->Transparent());
    // Back on the port, the module answers what is typed.
    QTRY_VERIFY_WITH_TIMEOUT(window->Side(BridgeSide::kSerial).status->text().contains(" baud"),
                             kTimeoutMs);
    TypeLine(*window, BridgeSide::kSerial, QStringLiteral("at"));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsRow(*window, BridgeSide::kSerial, "< ok"), kTimeoutMs);
}

void AppBridgeTest::closingReleasesThePortAndASecondOpenSucceedsAtOnce() {
    const std::string path = module_->SlavePath();
    QTest::mouseClick(BridgeButton(*dialog_), Qt::LeftButton);
    QPointer<BridgeWindow> window = dialog_->Bridge();
    QVERIFY(window);
    QTRY_VERIFY_WITH_TIMEOUT(window->Side(BridgeSide::kSerial).status->text().contains(" baud"),
                             kTimeoutMs);
    QVERIFY(!PortFree(path));
    QVERIFY(!ExchangeButtonsEnabled(*dialog_));

    window->close();
    QVERIFY(ExchangeButtonsEnabled(*dialog_));
    QVERIFY(BridgeButton(*dialog_)->isEnabled());
    QVERIFY(PortFree(path));  // at once, no waiting
    QTRY_VERIFY(window.isNull());

    // A second window opens the port at once, and an exchange after it works.
    QTest::mouseClick(BridgeButton(*dialog_), Qt::LeftButton);
    QVERIFY(dialog_->Bridge() != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(
        dialog_->Bridge()->Side(BridgeSide::kSerial).status->text().contains(" baud"), kTimeoutMs);
    dialog_->Bridge()->close();
    // Ctrl+B opens it from the keyboard, as the button is no tab stop.
    QTest::keyClick(dialog_->Control(ctl::kSubmit), Qt::Key_B, Qt::ControlModifier);
    QVERIFY(dialog_->Bridge() != nullptr);
    dialog_->Bridge()->close();
    ClickAndWaitForExchange(*dialog_, ctl::kQuery);
    QVERIFY(dialog_->GetSession().LogPane()->Text().find("at+net_wanip=?") != std::string::npos);
}

void AppBridgeTest::badEndpointIsReportedAndNothingOpens() {
    QTest::mouseClick(BridgeButton(*dialog_), Qt::LeftButton);
    BridgeWindow* window = dialog_->Bridge();
    QLabel* status = window->Side(BridgeSide::kNetwork).status;
    QLineEdit* address = window->AddressEdit();
    address->selectAll();
    QTest::keyClicks(address, QStringLiteral("127.0.0"));
    QTest::mouseClick(window->ConnectButton(), Qt::LeftButton);
    QVERIFY2(status->text().contains("is not a dotted IPv4 address"), qPrintable(status->text()));
    QTest::keyClicks(address, QStringLiteral(".1"));
    QLineEdit* port = window->PortEdit();
    port->selectAll();
    QTest::keyClicks(port, QStringLiteral("70000"));
    QTest::keyClick(port, Qt::Key_Return);
    QVERIFY2(status->text().contains("port 70000 is not a port (1 to 65535): nothing was opened"),
             qPrintable(status->text()));
    // Sending on the side that is not connected says so and keeps the line.
    TypeLine(*window, BridgeSide::kNetwork, QStringLiteral("lost?"));
    QVERIFY(status->text().contains("not connected: nothing was sent"));
    QCOMPARE(window->Side(BridgeSide::kNetwork).sendLine->text(), QStringLiteral("lost?"));
}

void AppBridgeTest::unpluggedPortSaysSoAndReplugWorksAgain() {
    // The port by a name that stays, as /dev/serial/by-id gives it, pointing at the module.
    TempDir dir;
    const std::filesystem::path link = dir.Path() / "ttyQN7";
    std::filesystem::create_symlink(module_->SlavePath(), link);
    dialog_->UsePort(QString::fromStdString(link.string()));
    QTest::mouseClick(BridgeButton(*dialog_), Qt::LeftButton);
    BridgeWindow* window = dialog_->Bridge();
    QLabel* status = window->Side(BridgeSide::kSerial).status;
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(" baud"), kTimeoutMs);

    module_->Stop();  // unplugged
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains("Plug the module back in"), kTimeoutMs);
    QVERIFY(window->isVisible());
    QVERIFY(window->OpenPortButton()->isEnabled());

    // Plugged back in (the same name, a new device), and the port opened again.
    module_ = std::make_unique<SimModule>(FastModule());
    QCOMPARE(module_->Start(), 0);
    std::filesystem::remove(link);
    std::filesystem::create_symlink(module_->SlavePath(), link);
    QTest::mouseClick(window->OpenPortButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(" baud"), kTimeoutMs);
    TypeLine(*window, BridgeSide::kSerial, QStringLiteral("at"));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsRow(*window, BridgeSide::kSerial, "< ok"), kTimeoutMs);
}

void AppBridgeTest::floodKeepsTheWindowResponsiveAndCountsEveryByte() {
    PtyPair pty;
    QVERIFY(!pty.path.empty());
    dialog_->UsePort(QString::fromStdString(pty.path));
    QTest::mouseClick(BridgeButton(*dialog_), Qt::LeftButton);
    BridgeWindow* window = dialog_->Bridge();
    QTRY_VERIFY_WITH_TIMEOUT(window->Side(BridgeSide::kSerial).status->text().contains(" baud"),
                             kTimeoutMs);

    // Numbered lines as fast as the pseudo-terminal takes them, from another thread.
    constexpr int kLines = 100000;
    std::atomic<uint64_t> written{0};
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        std::string block;
        for (int line = 1; line <= kLines; ++line) {
            block += "line " + std::to_string(line) + " of the flood\r\n";
            if (block.size() >= 4096 || line == kLines) {
                for (std::size_t at = 0; at < block.size();) {
                    const ssize_t n = ::write(pty.master, block.data() + at, block.size() - at);
                    if (n <= 0) break;
                    at += static_cast<std::size_t>(n);
                    written += static_cast<uint64_t>(n);
                }
                block.clear();
            }
        }
        done = true;
    });

    // The event loop keeps turning: the longest gap between two 20 ms ticks.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(20);
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 4 * kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->Shell().Received(BridgeSide::kSerial), written.load(),
                              kTimeoutMs);
    tick.stop();
    feeder.join();
    QVERIFY2(longest < 1000, qPrintable(QString("longest gap %1 ms").arg(longest)));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsRow(*window, BridgeSide::kSerial, "< line 100000 of the flood"),
                             kTimeoutMs);
    QVERIFY(window->Shell().Scrollback(BridgeSide::kSerial).RowCount() <=
            TrafficScrollback::kDefaultRows);
    QTRY_VERIFY_WITH_TIMEOUT(window->Side(BridgeSide::kSerial)
                                 .counters->text()
                                 .contains("< " + QString::number(written.load())),
                             kTimeoutMs);
}

QTEST_MAIN(AppBridgeTest)
#include "tst_app_bridge.moc"
