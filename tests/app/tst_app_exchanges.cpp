// The buttons' exchanges against the simulated module, on the worker thread.
#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "control_ids.h"
#include "dialog_fixture.h"
#include "exchange_feedback.h"
#include "exchanges.h"
#include "pane.h"
#include "presets.h"
#include "script_form.h"
#include "sim_module.h"

namespace {

constexpr int kExchangeTimeoutMs = 15000;

SimOptions AtBaud(uint32_t baud) {
    SimOptions options;
    options.baud = baud;
    return options;
}

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

SimOptions Silent() {
    SimOptions options;
    options.fault = SimFault::kNoAnswer;
    return options;
}

// Opens the port and sends a line the way any exchange does, without waiting for a reply; the
// error box's text, empty on success.
std::string OpenAndSend(const std::string& port) {
    struct NoLog : ExchangeLog {
        void Log(std::string_view) override {}
    } log;
    struct NoWait : ExchangeStop {
        void Sleep(uint32_t) override {}
    } stop;
    const ExchangeResult result = SendScript({{port, 115200}, stop, log}, "at\r\n");
    return result.outcome == ExchangeOutcome::kSerialError ? SerialErrorText(result.failure)
                                                           : std::string();
}

// What a user sees of the form: every control's text, check and selection.
QStringList FormSnapshot(const CQN7_SETUPTOOLDlg& dialog) {
    QStringList shown;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        const QVariant id = widget->property("controlId");
        if (!id.isValid()) continue;
        QString state = id.toString() + (widget->isEnabled() ? " on" : " off");
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            state += button->isChecked() ? " checked" : "";
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            state += " " + edit->text();
        } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
            state += QString(" %1 %2").arg(list->currentIndex()).arg(list->currentText());
        }
        shown << state;
    }
    return shown;
}

// A click that the window system has delivered but the program has not yet served.
void QueueClick(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    const QPoint at = widget->mapTo(widget->window(), widget->rect().center());
    const QPoint global = window->mapToGlobal(at);
    using Async = QWindowSystemInterface::AsynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Async>(window, at, global, Qt::LeftButton,
                                                    Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Async>(window, at, global, Qt::NoButton,
                                                    Qt::LeftButton, QEvent::MouseButtonRelease);
}

}  // namespace

class AppExchangeTest : public QObject {
    Q_OBJECT
  private slots:
    void searchFindsTheModuleAndLogsIt();
    void submitSendsThePaneByteForByte();
    void queryFillsTheForm();
    void missingPortShowsTheErrorBoxWithItsCode();
    void factoryResetAsksAndSendsOnlyOnYes_data();
    void factoryResetAsksAndSendsOnlyOnYes();
    void windowStaysResponsiveDuringLongScanAndClosesCleanly();
    void searchWithoutAModuleSaysSoInLogAndStatus();
    void queryWithoutReplyLeavesFormAndPaneByteForByte_data();
    void queryWithoutReplyLeavesFormAndPaneByteForByte();
    void exchangeWithoutReplySaysSoAndGivesTheFocusBack();
    void replyWithoutAtIsNotCalledNoReply();
    void stopEndsTheExchangeAndReleasesThePortAtOnce();
    void portIsFreeWhileTheErrorBoxIsUp();
    void clickWhileClosingIsNotServed();
};

void AppExchangeTest::searchFindsTheModuleAndLogsIt() {
    SimModule module(AtBaud(57600));
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kSearch), Qt::LeftButton);
    // Every button that starts an exchange waits for this one.
    for (int id : {ctl::kSearch, ctl::kSubmit, ctl::kQuery, ctl::kWifiScan, ctl::kTransparent,
                   ctl::kFactoryReset}) {
        QVERIFY(!dialog.Control(id)->isEnabled());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QVERIFY(dialog.Control(ctl::kSearch)->isEnabled());
    QCOMPARE(dialog.Link().baud, 57600u);
    const std::string found = "(:Found Device at " + module.SlavePath() + "(57600)!\r\n";
    QTRY_VERIFY(Contains(dialog.GetSession().LogPane()->Text(), found));
    // The echo that answered comes first, then the found line.
    const std::string& log = dialog.GetSession().LogPane()->Text();
    QVERIFY2(log.find(">:at") < log.find(found), log.c_str());
}

void AppExchangeTest::submitSendsThePaneByteForByte() {
    SimModule module;
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kSubmit), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(module.Received(), std::string(FirstPresetScript()));
    QTRY_VERIFY(Contains(dialog.GetSession().LogPane()->Text(), ">:at+netmode=1"));
}

void AppExchangeTest::queryFillsTheForm() {
    SimModule module;
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(ControlOf<QRadioButton>(dialog, ctl::kModeAp), Qt::LeftButton);
    QVERIFY(ControlOf<QRadioButton>(dialog, ctl::kModeAp)->isChecked());
    QTest::mouseClick(dialog.Control(ctl::kQuery), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    // The module's own settings are back in the form; the pane shows them recomposed.
    QTRY_VERIFY(ControlOf<QRadioButton>(dialog, ctl::kModeEthernet)->isChecked());
    QVERIFY(!ControlOf<QRadioButton>(dialog, ctl::kModeAp)->isChecked());
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), ComposeScript(dialog.Form()));
    QVERIFY(Contains(dialog.GetSession().CmdPane()->Text(), "at+netmode=1\r\n"));
    QVERIFY(Contains(dialog.GetSession().LogPane()->Text(), ">:at+ver=?"));
}

void AppExchangeTest::missingPortShowsTheErrorBoxWithItsCode() {
    RecordedBoxes boxes;
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QStringLiteral("/dev/qn7-no-such-port"));
    QTest::mouseClick(dialog.Control(ctl::kSubmit), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(boxes.errors.size(), 1);
    QVERIFY2(boxes.errors[0].startsWith("ZOV-QN7 CONFIG|Unable to open COM-port\n(error code 2)"),
             qPrintable(boxes.errors[0]));
    QVERIFY(dialog.GetSession().LogPane()->Text().empty());
}

void AppExchangeTest::factoryResetAsksAndSendsOnlyOnYes_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void AppExchangeTest::factoryResetAsksAndSendsOnlyOnYes() {
    QFETCH(bool, answer);
    RecordedBoxes boxes(answer);
    SimModule module;
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kFactoryReset), Qt::LeftButton);
    QCOMPARE(boxes.questions, QStringList("Save|Reset to Default Setting? "));
    QCOMPARE(dialog.Runner().Busy(), answer);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(module.Received(), answer ? std::string(kFactoryResetCommand) : std::string());
}

void AppExchangeTest::windowStaysResponsiveDuringLongScanAndClosesCleanly() {
    // At 19200 baud the scan waits 6 s: long enough to watch the event loop tick through it.
    SimModule module(AtBaud(19200));
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.Link().baud = 19200;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kWifiScan), Qt::LeftButton);
    QVERIFY(dialog.Runner().Busy());

    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    clock.start();
    ticker.start();
    QTest::qWait(2000);
    ticker.stop();
    QVERIFY(dialog.Runner().Busy());
    // A loop blocked by the exchange would stall for the whole 2 s; a loaded machine can hold a
    // tick back by some tens of milliseconds.
    QVERIFY2(longestGap <= 500, qPrintable(QString("longest gap %1 ms").arg(longestGap)));
    QTRY_VERIFY(Contains(module.Received(), "at+wifi_Scan=?\r\n"));

    // Closing mid-exchange cuts its wait short and releases the port.
    QElapsedTimer closing;
    closing.start();
    dialog.close();
    QVERIFY(!dialog.Runner().Busy());
    QVERIFY2(closing.elapsed() < 2000, qPrintable(QString::number(closing.elapsed())));
    const std::string error = OpenAndSend(module.SlavePath());
    QVERIFY2(error.empty(), error.c_str());
}

void AppExchangeTest::searchWithoutAModuleSaysSoInLogAndStatus() {
    SimModule module(Silent());
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kSearch), Qt::LeftButton);
    auto* status = dialog.findChild<QLabel*>(QStringLiteral("statusLine"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(dialog.GetSession().LogPane()->Text(),
             "(:no module answered on " + module.SlavePath() + " at any of the 9 rates\r\n");
    QCOMPARE(dialog.Link().baud, 115200u);
    QVERIFY(status != nullptr);
    QCOMPARE(status->text(),
             QString::fromStdString("Port " + module.SlavePath() +
                                    " at 115200 baud · Search: no module answered"));
}

void AppExchangeTest::queryWithoutReplyLeavesFormAndPaneByteForByte_data() {
    QTest::addColumn<bool>("portExists");
    QTest::newRow("no module answers") << true;
    QTest::newRow("serial failure") << false;
}

void AppExchangeTest::queryWithoutReplyLeavesFormAndPaneByteForByte() {
    QFETCH(bool, portExists);
    RecordedBoxes boxes;
    SimModule module(Silent());
    QCOMPARE(module.Start(), 0);
    const std::string port = portExists ? module.SlavePath() : "/dev/qn7-no-such-port";
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(port));
    // A form the user has worked on: AP mode and an SSID of their own.
    QTest::mouseClick(ControlOf<QRadioButton>(dialog, ctl::kModeAp), Qt::LeftButton);
    QTest::keyClicks(ControlOf<QLineEdit>(dialog, ctl::kSsid), "MyNet");
    const QStringList form = FormSnapshot(dialog);
    const std::string pane = dialog.GetSession().CmdPane()->Text();
    QVERIFY(Contains(pane, "MyNet"));

    QTest::mouseClick(dialog.Control(ctl::kQuery), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(FormSnapshot(dialog), form);
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), pane);
    const std::string& log = dialog.GetSession().LogPane()->Text();
    if (portExists) {
        QCOMPARE(log, "(:no reply to the query on " + port +
                          " at 115200 baud; the form and the command pane are left as they "
                          "were\r\n");
    } else {
        QCOMPARE(boxes.errors.size(), 1);  // the box says it; nothing more in the log
        QVERIFY(log.empty());
    }
}

void AppExchangeTest::exchangeWithoutReplySaysSoAndGivesTheFocusBack() {
    SimModule module(Silent());
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    // Started from the keyboard: Tab to Transparent mode, Space presses it.
    dialog.Control(ctl::kTransparent)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(dialog.Runner().Busy());
    QVERIFY(QApplication::focusWidget() != dialog.Control(ctl::kTransparent));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(dialog.GetSession().LogPane()->Text(),
             "(:no reply to Transparent mode on " + module.SlavePath() + " at 115200 baud\r\n");
    QCOMPARE(QApplication::focusWidget(), dialog.Control(ctl::kTransparent));
}

// A module that answers in capitals: ">:AT+…OK" is logged, so the next line must not claim that
// nothing came.
void AppExchangeTest::replyWithoutAtIsNotCalledNoReply() {
    SimOptions capitals;
    capitals.fault = SimFault::kCapitals;
    SimModule module(capitals);
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kSubmit), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    const std::string& log = dialog.GetSession().LogPane()->Text();
    const std::size_t reply = log.find(">:AT+NETMODE=1\r\r\nOK\r");
    const std::size_t said =
        log.find("(:the reply to Submit on " + module.SlavePath() +
                 " at 115200 baud holds no \"at\": it is not the module's echo");
    QVERIFY2(reply != std::string::npos && said != std::string::npos && reply < said, log.c_str());
    QVERIFY2(!Contains(log, "no reply"), log.c_str());
    auto* status = dialog.findChild<QLabel*>(QStringLiteral("statusLine"));
    QVERIFY(status != nullptr);
    QVERIFY2(status->text().endsWith(QStringLiteral("Submit: a reply without \"at\"")),
             qPrintable(status->text()));
}

void AppExchangeTest::stopEndsTheExchangeAndReleasesThePortAtOnce() {
    // A scan at 1200 baud waits 42 s.
    SimModule module(AtBaud(1200));
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.Link().baud = 1200;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kWifiScan), Qt::LeftButton);
    QVERIFY(dialog.Runner().Busy());
    QPushButton* stop = nullptr;
    for (auto* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Stop")) stop = button;
    }
    QVERIFY(stop != nullptr);
    QTRY_VERIFY(stop->isVisible());
    QTRY_VERIFY(Contains(module.Received(), "at+wifi_Scan=?\r\n"));

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), 5000);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    // Released: another open succeeds at once.
    const std::string error = OpenAndSend(module.SlavePath());
    QVERIFY2(error.empty(), error.c_str());
    QVERIFY(!stop->isVisible());
    QVERIFY(dialog.isVisible());
    QVERIFY(Contains(dialog.GetSession().LogPane()->Text(),
                     "(:WiFi scan stopped; " + module.SlavePath() + " is released\r\n"));
    QCOMPARE(QApplication::focusWidget(), dialog.Control(ctl::kWifiScan));
}

// The failed exchange has released the port by the time its box is up: the user may try it
// with another program before dismissing the box.
void AppExchangeTest::portIsFreeWhileTheErrorBoxIsUp() {
    SimModule module;
    QCOMPARE(module.Start(), 0);
    RecordedBoxes boxes;
    std::string duringBox = "box not shown";
    boxes.whileErrorShown = [&] { duringBox = OpenAndSend(module.SlavePath()); };
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    dialog.Link().baud = 0;  // the port opens, then the line setting fails
    QTest::mouseClick(dialog.Control(ctl::kSubmit), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Runner().Busy(), kExchangeTimeoutMs);
    QCOMPARE(boxes.errors.size(), 1);
    QVERIFY2(boxes.errors[0].startsWith(
                 "ZOV-QN7 CONFIG|Unable to set COM-port setting\n(error code 87)"),
             qPrintable(boxes.errors[0]));
    QVERIFY2(duringBox.empty(), duringBox.c_str());
    QVERIFY(dialog.Control(ctl::kSubmit)->isEnabled());
}

void AppExchangeTest::clickWhileClosingIsNotServed() {
    // Without a module the search spends most of its time in reads the Stop cannot cut short,
    // so the closing window waits for it.
    SimModule module(Silent());
    QCOMPARE(module.Start(), 0);
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.UsePort(QString::fromStdString(module.SlavePath()));
    QTest::mouseClick(dialog.Control(ctl::kSearch), Qt::LeftButton);
    QTRY_VERIFY(Contains(module.Received(), "at\r\nat\r\n"));
    const std::string pane = dialog.GetSession().CmdPane()->Text();

    // A click on a form field that arrives while the window closes and waits for the exchange
    // to release the port.
    QWidget* field = dialog.Control(ctl::kModeAp);
    QVERIFY(field->isVisible() && field->isEnabled());
    QueueClick(field);
    dialog.close();
    QVERIFY(!dialog.Runner().Busy());
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), pane);
}

QTEST_MAIN(AppExchangeTest)
#include "tst_app_exchanges.moc"
