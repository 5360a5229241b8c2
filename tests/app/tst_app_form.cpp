// Change handling through real widget events, the IP address control, the slot buttons.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "control_ids.h"
#include "dialog_fixture.h"
#include "form_model.h"
#include "ip_address_edit.h"
#include "pane.h"
#include "pane_widget.h"
#include "presets.h"
#include "script_form.h"
#include "template_builder.h"
#include "user_slots.h"

namespace {

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

}  // namespace

class AppFormTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void typingInSsidRecomposesOnEveryKeystroke();
    void apModeClickRecomposesAndReapplies();
    void serverRadioDisablesLocalPortClientEnablesIt();
    void listSelectionRecomposes();
    void ipControlReportsBlankAsZerosAndFieldChanges();
    void ipControlClampsAndBlanks();
    void ipControlReadsFieldsAsTheFormModelDoes_data();
    void ipControlReadsFieldsAsTheFormModelDoes();
    void userButtonClickLoadsAndMissingSlotChangesNothing();
    void userButtonDoubleClickSavesWithoutAsking();
    void realDoubleClickLoadsThenSaves();
    void saveButtonAsksFirst_data();
    void saveButtonAsksFirst();
    void hiddenPresetButtonsShowTheirScripts();
    void panesMirrorTheirBytesLineForLine();
    void paneWidgetFollowsFrontRemoval_data();
    void paneWidgetFollowsFrontRemoval();
    void listSelectionsSetTheLinkSettings();

  private:
    std::unique_ptr<QTemporaryDir> slots_;  // fresh for each test
};

void AppFormTest::init() {
    slots_ = std::make_unique<QTemporaryDir>();
    QVERIFY(slots_->isValid());
}

void AppFormTest::typingInSsidRecomposesOnEveryKeystroke() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QTest::mouseClick(ControlOf<QRadioButton>(dialog, ctl::kModeStation), Qt::LeftButton);
    auto* ssid = ControlOf<QLineEdit>(dialog, ctl::kSsid);
    QVERIFY(ssid->isEnabled());
    const bool keyWasEnabled = dialog.Control(ctl::kKey)->isEnabled();
    ssid->setFocus();
    QStringList seen;
    for (const char* key : {"H", "o", "m"}) {
        QTest::keyClicks(ssid, key);
        seen << QString::fromStdString(dialog.GetSession().CmdPane()->Text());
    }
    QVERIFY(seen[0].contains("at+wifi_conf=H,"));
    QVERIFY(seen[1].contains("at+wifi_conf=Ho,"));
    QVERIFY(seen[2].contains("at+wifi_conf=Hom,"));
    QCOMPARE(ssid->text(), QStringLiteral("Hom"));  // never rewritten under the caret
    QCOMPARE(dialog.Control(ctl::kKey)->isEnabled(), keyWasEnabled);
}

void AppFormTest::apModeClickRecomposesAndReapplies() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QTest::mouseClick(ControlOf<QRadioButton>(dialog, ctl::kModeAp), Qt::LeftButton);
    QVERIFY(QString::fromStdString(dialog.GetSession().CmdPane()->Text())
                .startsWith("at+netmode=3\r\n"));
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), dialog.GetSession().Script());
    // Reapplied: AP mode greys gateway, DNS and the DHCP box, and opens the WiFi fields.
    QVERIFY(ControlOf<QRadioButton>(dialog, ctl::kModeAp)->isChecked());
    QVERIFY(!dialog.Control(ctl::kDhcp)->isEnabled());
    QVERIFY(!dialog.Control(ctl::kGateway)->isEnabled());
    QVERIFY(!dialog.Control(ctl::kDns)->isEnabled());
    QVERIFY(dialog.Control(ctl::kLocalIp)->isEnabled());
    QVERIFY(dialog.Control(ctl::kSsid)->isEnabled());
}

void AppFormTest::serverRadioDisablesLocalPortClientEnablesIt() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QWidget* localPort = dialog.Control(ctl::kLocalPort);
    QTest::mouseClick(ControlOf<QRadioButton>(dialog, ctl::kUdpClient), Qt::LeftButton);
    QVERIFY(localPort->isEnabled());
    QVERIFY(dialog.GetSession().CmdPane()->Text().find("at+remotepro=udp\r\n") !=
            std::string::npos);
    QTest::mouseClick(ControlOf<QRadioButton>(dialog, ctl::kUdpServer), Qt::LeftButton);
    QVERIFY(!localPort->isEnabled());
    QVERIFY(!dialog.Control(ctl::kRemoteIp)->isEnabled());
    QVERIFY(dialog.GetSession().CmdPane()->Text().find("at+mode=server\r\n") != std::string::npos);
}

void AppFormTest::listSelectionRecomposes() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    auto* parity = ControlOf<QComboBox>(dialog, ctl::kParity);
    parity->setFocus();
    QTest::keyClick(parity, Qt::Key_Down);  // a user's selection, as the list reports it
    QCOMPARE(parity->currentText(), QStringLiteral("ODD"));
    QVERIFY(dialog.GetSession().CmdPane()->Text().find("at+uart=115200,8,o,1\r\n") !=
            std::string::npos);
}

void AppFormTest::ipControlReportsBlankAsZerosAndFieldChanges() {
    IpAddressEdit ip;
    QCOMPARE(ip.Text(), std::string("0.0.0.0"));
    QVERIFY(ip.IsBlank());
    QSignalSpy changes(&ip, &IpAddressEdit::fieldChanged);
    ip.show();
    ip.Field(0)->setFocus();
    QTest::keyClicks(ip.Field(0), "192");  // three digits move on to the next field
    QTest::keyClicks(ip.Field(1), "168.");
    QTest::keyClicks(ip.Field(2), "1");
    QTest::keyClick(ip.Field(2), Qt::Key_Return);
    QCOMPARE(ip.Text(), std::string("192.168.1.0"));
    QCOMPARE(changes.size(), 3);
    QCOMPARE(changes.at(2).at(0).toInt(), 2);
    QTest::keyClick(ip.Field(2), Qt::Key_Return);  // unchanged: no second report
    QCOMPARE(changes.size(), 3);
}

void AppFormTest::ipControlClampsAndBlanks() {
    IpAddressEdit ip;
    ip.SetText("10.300.7");
    QCOMPARE(ip.Text(), std::string("10.255.7.0"));
    QVERIFY(!ip.IsBlank());
    ip.SetText("");
    QVERIFY(ip.IsBlank());
    QCOMPARE(ip.Text(), std::string("0.0.0.0"));
}

void AppFormTest::ipControlReadsFieldsAsTheFormModelDoes_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("plain") << QByteArray("10.1.2.3") << QByteArray("10.1.2.3");
    QTest::newRow("letters after digits") << QByteArray("1x.2y.3.4z") << QByteArray("1.2.3.4");
    QTest::newRow("no digits") << QByteArray("host") << QByteArray("0.0.0.0");
    QTest::newRow("blanks and signs") << QByteArray(" 7.+8.-9. 10 ") << QByteArray("7.8.0.10");
    QTest::newRow("too large") << QByteArray("300.1.99999999999999999999.3")
                               << QByteArray("255.1.255.3");
    QTest::newRow("short") << QByteArray("192.168.1") << QByteArray("192.168.1.0");
    QTest::newRow("line end") << QByteArray("7.8.9.10\r\n") << QByteArray("7.8.9.10");
}

void AppFormTest::ipControlReadsFieldsAsTheFormModelDoes() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, shown);
    IpAddressEdit ip;
    ip.SetText(text.toStdString());
    QCOMPARE(ip.Text(), shown.toStdString());
    FormModel model;
    model.SetText(ctl::kMask, text.toStdString());
    QCOMPARE(model.GetText(ctl::kMask), shown.toStdString());
}

void AppFormTest::userButtonClickLoadsAndMissingSlotChangesNothing() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.GetSession().SetSlotDirectory(slots_->path().toStdString());
    dialog.show();
    const std::string before = dialog.GetSession().CmdPane()->Text();
    QTest::mouseClick(dialog.Control(ctl::kUser0 + 1), Qt::LeftButton);
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), before);
    // Said so in the log pane, with the file that was looked for.
    const std::string missing =
        (std::filesystem::path(slots_->path().toStdString()) / "user1").string();
    QCOMPARE(dialog.GetSession().LogPane()->Text(),
             "(:no user slot " + missing + "; the command pane is unchanged\r\n");
    const std::string stored = "at+netmode=2\r\nat+ssid=x\r\n";
    WriteFile(slots_->filePath("user1"), stored);
    QTest::mouseClick(dialog.Control(ctl::kUser0 + 1), Qt::LeftButton);
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), stored);
    // Loading a slot leaves the form alone.
    QVERIFY(ControlOf<QRadioButton>(dialog, ctl::kModeEthernet)->isChecked());
}

void AppFormTest::userButtonDoubleClickSavesWithoutAsking() {
    RecordedBoxes boxes(true);
    CQN7_SETUPTOOLDlg dialog;
    dialog.GetSession().SetSlotDirectory(slots_->path().toStdString());
    dialog.show();
    QTest::mouseDClick(dialog.Control(ctl::kUser3), Qt::LeftButton);
    QCOMPARE(ReadFile(slots_->filePath("user3")), std::string(FirstPresetScript()));
    QVERIFY(boxes.questions.isEmpty());
    const std::string path =
        (std::filesystem::path(slots_->path().toStdString()) / "user3").string();
    const std::string saved = "(:saved " + path + " (" +
                              std::to_string(std::string(FirstPresetScript()).size()) +
                              " bytes)\r\n";
    QVERIFY2(dialog.GetSession().LogPane()->Text().ends_with(saved),
             dialog.GetSession().LogPane()->Text().c_str());
}

void AppFormTest::realDoubleClickLoadsThenSaves() {
    // Through the window system, as a user's double click arrives: press, release, press,
    // release. The notify-style button reports one click, then one double click.
    RecordedBoxes boxes(true);
    CQN7_SETUPTOOLDlg dialog;
    dialog.GetSession().SetSlotDirectory(slots_->path().toStdString());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const std::string stored = "at+netmode=3\r\n";
    WriteFile(slots_->filePath("user2"), stored);
    auto* button = qobject_cast<SlotButton*>(dialog.Control(ctl::kUser0 + 2));
    QVERIFY(button != nullptr);
    QStringList events;
    connect(button, &QAbstractButton::clicked, [&] { events << "click"; });
    connect(button, &SlotButton::doubleClicked, [&] { events << "double"; });
    const QPoint centre = button->mapTo(&dialog, button->rect().center());
    QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(events, QStringList({"click", "double"}));
    // The click loaded the slot; the double click saved that text back unchanged.
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), stored);
    QCOMPARE(ReadFile(slots_->filePath("user2")), stored);
    QVERIFY(boxes.questions.isEmpty());
}

void AppFormTest::saveButtonAsksFirst_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("slot");
    QTest::newRow("S0 yes") << ctl::kSave0 << true << "user0";
    QTest::newRow("S2 yes") << ctl::kSave0 + 2 << true << "user2";
    QTest::newRow("S3 no") << ctl::kSave3 << false << "user3";
}

void AppFormTest::saveButtonAsksFirst() {
    QFETCH(int, button);
    QFETCH(bool, answer);
    QFETCH(QString, slot);
    RecordedBoxes boxes(answer);
    CQN7_SETUPTOOLDlg dialog;
    dialog.GetSession().SetSlotDirectory(slots_->path().toStdString());
    dialog.show();
    QTest::mouseClick(dialog.Control(button), Qt::LeftButton);
    QCOMPARE(boxes.questions, QStringList("Save|Save current config to " + slot + "?"));
    QCOMPARE(QFile::exists(slots_->filePath(slot)), answer);
    if (answer) QCOMPARE(ReadFile(slots_->filePath(slot)), dialog.GetSession().CmdPane()->Text());
}

void AppFormTest::hiddenPresetButtonsShowTheirScripts() {
    CQN7_SETUPTOOLDlg dialog;
    for (const Preset& preset : kPresets) {
        auto* button = ControlOf<QAbstractButton>(dialog, preset.buttonId);
        QCOMPARE(button->text(), QString::fromUtf8(preset.label));
        button->click();
        QCOMPARE(dialog.GetSession().CmdPane()->Text(), std::string(preset.script));
    }
}

void AppFormTest::panesMirrorTheirBytesLineForLine() {
    CQN7_SETUPTOOLDlg dialog;
    auto* log = ControlOf<PaneWidget>(dialog, ctl::kLogPane);
    std::string many;
    for (int line = 1; line <= 600; ++line) many += "line " + std::to_string(line) + "\r\n";
    dialog.GetSession().AppendLog(many);
    // 600 lines and the empty one after the last break, trimmed back to 513.
    QCOMPARE(log->document()->blockCount(), 513);
    QCOMPARE(log->document()->firstBlock().text(), QStringLiteral("line 89"));
    // A CR LF split over two appends is one break, on screen as in the bytes.
    dialog.GetSession().AppendLog("a\r");
    dialog.GetSession().AppendLog("\nb");
    QCOMPARE(log->document()->lastBlock().previous().text(), QStringLiteral("a"));
    QCOMPARE(log->document()->lastBlock().text(), QStringLiteral("b"));
    QCOMPARE(log->document()->blockCount(), dialog.GetSession().LogPane()->LineCount());
}

void AppFormTest::paneWidgetFollowsFrontRemoval_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QByteArray>("appended");
    QTest::newRow("one line without a break") << QByteArray("only") << 1 << QByteArray();
    QTest::newRow("one line, then more") << QByteArray("only") << 1 << QByteArray("next\r\nx");
    QTest::newRow("every line") << QByteArray("a\r\nb\rc") << 5 << QByteArray();
    QTest::newRow("first of mixed breaks") << QByteArray("a\r\nb\rc\nd") << 1 << QByteArray();
    QTest::newRow("two of mixed breaks") << QByteArray("a\r\nb\rc\nd") << 2 << QByteArray();
    QTest::newRow("line and final break") << QByteArray("a\r\n") << 1 << QByteArray("b");
    // The text went up to a CR; a LF appended next starts a line of its own.
    QTest::newRow("line ending in CR") << QByteArray("a\r") << 1 << QByteArray("\nb");
}

void AppFormTest::paneWidgetFollowsFrontRemoval() {
    QFETCH(QByteArray, text);
    QFETCH(int, removed);
    QFETCH(QByteArray, appended);
    PaneWidget pane;
    pane.Append(text.toStdString());
    pane.RemoveFirstLines(removed);
    pane.Append(appended.toStdString());
    // One block per pane line, each showing that line.
    QString shown = QString::fromStdString(pane.Text());
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QCOMPARE(pane.document()->blockCount(), pane.LineCount());
    QCOMPARE(pane.toPlainText(), shown);
}

void AppFormTest::listSelectionsSetTheLinkSettings() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    auto* ports = ControlOf<QComboBox>(dialog, ctl::kComPortList);
    dialog.UsePort(QStringLiteral("/dev/ttyQN7first"));
    dialog.UsePort(QStringLiteral("/dev/ttyQN7second"));
    QCOMPARE(dialog.Link().port, std::string("/dev/ttyQN7second"));
    // A user's pick in the port list, as the list reports it.
    ports->setCurrentIndex(ports->findText(QStringLiteral("/dev/ttyQN7first")));
    emit ports->activated(ports->currentIndex());
    QCOMPARE(dialog.Link().port, std::string("/dev/ttyQN7first"));

    // The hidden link-baud list: the selected entry's leading number becomes the link rate,
    // whatever its edit field holds.
    auto* links = ControlOf<QComboBox>(dialog, ctl::kLinkBaudList);
    links->setCurrentIndex(links->findText(QStringLiteral("56000")));
    links->setEditText(QStringLiteral("9600"));
    emit links->activated(links->currentIndex());
    QCOMPARE(dialog.Link().baud, 56000u);
}

QTEST_MAIN(AppFormTest)
#include "tst_app_form.moc"
