// The dialog against its template: inventory, states, groups, tab order, lists, start-up.
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "control_ids.h"
#include "dialog_fixture.h"
#include "dialog_init.h"
#include "ip_address_edit.h"
#include "pane_widget.h"
#include "presets.h"
#include "qn7_setuptool_app.h"
#include "resource_strings.h"
#include "screen_fit.h"
#include "script_form.h"

namespace {

// The control (by ID) of each focus the tab key visits, once round and back to the start. With
// `view`, each must be scrolled into its sight.
QList<int> TabWalk(QWidget& dialog, const QWidget* view) {
    QList<int> walk;
    QWidget* start = QApplication::focusWidget();
    do {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QWidget* control = focus;
        while (control != nullptr && !control->property(kControlIdProperty).isValid()) {
            control = control->parentWidget();
        }
        walk << (control ? control->property(kControlIdProperty).toInt() : 0);
        if (view != nullptr) {
            const QRect shown(focus->mapTo(&dialog, QPoint(0, 0)), focus->size());
            if (!view->rect().intersects(shown)) walk << -1;
        }
    } while (QApplication::focusWidget() != start && walk.size() < 100);
    return walk;
}

}  // namespace

class AppTemplateTest : public QObject {
    Q_OBJECT
  private slots:
    void everyTemplateControlExistsWithItsLabelAndState();
    void geometryFollowsDialogUnits();
    void dialogUnitsRoundToTheNearestPixel();
    void radioGroupsAreSeparate();
    void tabOrderAndInitialFocus();
    void tabKeyVisitsEachTabStopOnce();
    void enterEndsTheDialogOnlyWhereNoControlTakesIt_data();
    void enterEndsTheDialogOnlyWhereNoControlTakesIt();
    void enterInAnAddressFieldKeepsTheFormAndTheDialog();
    void hiddenOkAndCancelEndTheDialog();
    void groupBoxTitleSitsOnTheFrameLine();
    void listsHoldTheirEntriesWithoutSelection();
    void linkBaudListStartsAt115200();
    void startUpShowsFirstPresetAndAppliesIt();
    void dialogInitDataIsTheTwoHiddenEntries();
    void dialogInitParserStopsAtTruncatedRecord();
    void stringTable();
    void bothDialogsTakeFontCaptionAndSizeFromTheirTemplates();
    void windowAndAboutBoxShowTheApplicationIcon();
    void everyChineseLabelCarriesItsEnglishGloss();
    void panesShowScrollBarsWhenTheTextNeedsThem();
    void dialogTooBigForTheScreenScrollsInsideIt();
    void dialogFitsTheAvailableScreenArea();
    void demoModeFirstLineNamesTheSearchButtonInBothLanguages();
};

void AppTemplateTest::everyTemplateControlExistsWithItsLabelAndState() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    int checked = 0;
    for (const ControlTemplate& control : kMainDialogTemplate.controls) {
        if (control.id == kStaticId) continue;
        QWidget* widget = dialog.Control(control.id);
        QVERIFY2(widget != nullptr, qPrintable(QString::number(control.id)));
        QCOMPARE(widget->objectName(), QString::number(control.id));
        QCOMPARE(widget->isVisible(), !control.Has(kHidden));
        // The start-up apply greys form fields; buttons and the hidden list keep their state.
        if (control.Has(kDisabled) || qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(widget->isEnabled(), !control.Has(kDisabled));
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QCOMPARE(button->text(), QString::fromUtf8(control.label));
        }
        ++checked;
    }
    QCOMPARE(checked, 50);
    // The labels and frames are there too, with their exact texts.
    QStringList texts;
    for (auto* label : dialog.findChildren<QLabel*>()) texts << label->text();
    for (auto* group : dialog.findChildren<QGroupBox*>()) texts << group->title();
    for (const char* text : {"待发送命令",
                             "命令执行与回复",
                             "用户参数保存区",
                             "工作模式选择",
                             "串口转WIFI",
                             "网络协议选择",
                             "远端IP",
                             "端口",
                             "本地端口",
                             "无线参数",
                             "网络名称",
                             "加密方式",
                             "密钥",
                             "串口参数",
                             "波特率",
                             "数据位",
                             "停止位",
                             "校验位",
                             "网络参数",
                             "本地IP",
                             "子网掩码",
                             "网关",
                             "DNS"}) {
        QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
    }
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ZOV-QN7_CONFIG By Qn7 Tools"));
    QVERIFY(ControlOf<PaneWidget>(dialog, ctl::kCmdPane)->isReadOnly());
    QVERIFY(ControlOf<PaneWidget>(dialog, ctl::kLogPane)->isReadOnly());
    QVERIFY(ControlOf<QComboBox>(dialog, ctl::kComPortList)->isEditable());
}

void AppTemplateTest::geometryFollowsDialogUnits() {
    CQN7_SETUPTOOLDlg dialog;
    const DialogBaseUnits units = DialogBaseUnits::Of(dialog.font());
    QVERIFY(units.width > 0 && units.height > 0);
    // Each value on its own, rounded to the nearest pixel, as the dialog manager maps them.
    const auto x = [&](int du) { return (du * units.width + 2) / 4; };
    const auto y = [&](int du) { return (du * units.height + 4) / 8; };
    QCOMPARE(dialog.size(), QSize(x(455), y(338)));
    QCOMPARE(dialog.Control(ctl::kSubmit)->geometry(), QRect(x(233), y(306), x(38), y(16)));
    // A combo box's template height includes its drop-down; the closed box is one line.
    QVERIFY(dialog.Control(ctl::kEncryption)->height() < 101 * units.height / 8 / 3);
}

void AppTemplateTest::dialogUnitsRoundToTheNearestPixel() {
    const DialogBaseUnits units{7, 13};
    // 233 * 7 / 4 = 407.75 and 38 * 7 / 4 = 66.5 round up; 306 * 13 / 8 = 497.25 rounds down.
    QCOMPARE(units.ToPixels(DialogRect{233, 306, 38, 16}), QRect(408, 497, 67, 26));
    QCOMPARE(units.ToPixels(455, 338), QSize(796, 549));
    QCOMPARE(units.ToPixels(DialogRect{0, 0, 1, 1}), QRect(0, 0, 2, 2));
}

void AppTemplateTest::radioGroupsAreSeparate() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    auto* station = ControlOf<QRadioButton>(dialog, ctl::kModeStation);
    auto* tcpServer = ControlOf<QRadioButton>(dialog, ctl::kTcpServer);
    QVERIFY(station->group() != nullptr && tcpServer->group() != nullptr);
    QVERIFY(station->group() != tcpServer->group());
    QCOMPARE(station->group()->buttons().size(), 3);
    QCOMPARE(tcpServer->group()->buttons().size(), 4);
    QVERIFY(tcpServer->isChecked());
    QTest::mouseClick(station, Qt::LeftButton);
    QVERIFY(station->isChecked());
    QVERIFY(!ControlOf<QRadioButton>(dialog, ctl::kModeEthernet)->isChecked());
    QVERIFY(tcpServer->isChecked());  // the other group keeps its check
}

void AppTemplateTest::tabOrderAndInitialFocus() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.Control(ctl::kSubmit));
    // Walk the focus chain of the reachable controls from the first tab stop.
    const QList<int> expected = {1014, 1015, 1005, 1000, 1007, 1008, 1009, 1010, 1017, 1018, 1019,
                                 1021, 1022, 1023, 1024, 1048, 1050, 1051, 1052, 1053, 1059, 1065,
                                 1060, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074, 1075};
    QList<int> chain;
    QWidget* widget = dialog.Control(ctl::kSubmit);
    for (int guard = 0; guard < 200 && chain.size() < expected.size(); ++guard) {
        const int id = widget->property("controlId").toInt();
        if (id > 0 && widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus) &&
            !chain.contains(id)) {
            chain << id;
        }
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(chain, expected);
    QCOMPARE(dialog.Control(ctl::kModeEthernet)->focusPolicy(), Qt::ClickFocus);
}

void AppTemplateTest::tabKeyVisitsEachTabStopOnce() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // Open every form field so that the greyed ones do not drop out of the walk.
    ApplyScript(dialog.Form(),
                "at+netmode=2\r\nat+dhcpc=0\r\nat+remotepro=tcp\r\n"
                "at+mode=client\r\n");
    const auto idOf = [](QWidget* widget) {
        // Inner widgets (an address field, a list's edit) belong to their control.
        for (; widget != nullptr; widget = widget->parentWidget()) {
            if (const QVariant id = widget->property("controlId"); id.isValid()) return id.toInt();
        }
        return 0;
    };
    QList<int> walk;
    for (int press = 0; press < 32; ++press) {
        walk << idOf(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const QList<int> expected = {1014, 1015, 1005, 1000, 1007, 1008, 1009, 1010, 1017, 1018, 1019,
                                 1021, 1022, 1023, 1024, 1048, 1050, 1051, 1052, 1053, 1059, 1065,
                                 1060, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074, 1075};
    QCOMPARE(walk, expected);
    QCOMPARE(idOf(QApplication::focusWidget()), 1014);  // and round again
}

void AppTemplateTest::enterEndsTheDialogOnlyWhereNoControlTakesIt_data() {
    QTest::addColumn<int>("focus");
    QTest::addColumn<bool>("ends");
    // The hidden OK button is the default: Enter on a control that has no use for it reaches it.
    QTest::newRow("DHCP box") << ctl::kDhcp << true;
    // Edits, lists and address fields keep Enter: a slip there must not lose the form.
    QTest::newRow("remote port edit") << ctl::kRemotePort << false;
    QTest::newRow("SSID edit") << ctl::kSsid << false;
    QTest::newRow("UART list") << ctl::kUartBaud << false;
    QTest::newRow("encryption list") << ctl::kEncryption << false;
    QTest::newRow("port list") << ctl::kComPortList << false;
    QTest::newRow("local IP") << ctl::kLocalIp << false;
    // A focused push button takes Enter itself; the panes want Enter.
    QTest::newRow("User0 button") << ctl::kUser0 << false;
    QTest::newRow("command pane") << ctl::kCmdPane << false;
    QTest::newRow("log pane") << ctl::kLogPane << false;
}

void AppTemplateTest::enterEndsTheDialogOnlyWhereNoControlTakesIt() {
    QFETCH(int, focus);
    QFETCH(bool, ends);
    RecordedBoxes boxes;
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QSignalSpy finished(&dialog, &QDialog::finished);
    // The address controls are disabled by the start-up form; DHCP off enables them.
    if (focus == ctl::kLocalIp) QTest::mouseClick(dialog.Control(ctl::kDhcp), Qt::LeftButton);
    dialog.Control(focus)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    if (!ends) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(finished.size(), ends ? 1 : 0);
    QCOMPARE(dialog.isVisible(), !ends);
}

void AppTemplateTest::enterInAnAddressFieldKeepsTheFormAndTheDialog() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(dialog.Control(ctl::kDhcp), Qt::LeftButton);
    auto* ip = ControlOf<IpAddressEdit>(dialog, ctl::kLocalIp);
    ip->SetText("");
    QTest::mouseClick(ip->Field(0), Qt::LeftButton);
    // Typed key by key to the focus: a dot moves it on to the next field.
    for (const char c : std::string_view("10.1.2.3"))
        QTest::keyClick(QApplication::focusWidget(), c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(QString::fromStdString(ip->Text()), QStringLiteral("10.1.2.3"));
    QVERIFY(dialog.GetSession().CmdPane()->Text().find("at+net_ip=10.1.2.3,") != std::string::npos);
}

void AppTemplateTest::hiddenOkAndCancelEndTheDialog() {
    for (const auto& [id, result] : {std::pair{ctl::kOk, int(QDialog::Accepted)},
                                     std::pair{ctl::kCancel, int(QDialog::Rejected)}}) {
        CQN7_SETUPTOOLDlg dialog;
        dialog.show();
        QSignalSpy finished(&dialog, &QDialog::finished);
        ControlOf<QPushButton>(dialog, id)->click();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), result);
    }
}

void AppTemplateTest::groupBoxTitleSitsOnTheFrameLine() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    const QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    QCOMPARE(groups.size(), 7);
    for (QGroupBox* group : groups) {
        const QString title = group->title();
        const int textHeight = group->fontMetrics().height();
        // Right of the title, the first drawn row is the frame's top line; as in the Windows
        // template it runs through the title, about half a text line down.
        const QImage titled = group->grab().toImage();
        const int x = titled.width() - 8;
        int lineY = 0;
        while (lineY < titled.height() && titled.pixel(x, lineY) == titled.pixel(x, 0)) ++lineY;
        QVERIFY2(lineY >= textHeight / 4 && lineY <= textHeight * 3 / 4,
                 qPrintable(title + QStringLiteral(": line at %1").arg(lineY)));
        // With a blank title of the same width, the line shows a gap where the title stands:
        // the title is drawn on the dialog's background, over the line.
        const QString blank(title.size() * 2, QLatin1Char(' '));
        group->setTitle(blank);
        const QImage gapped = group->grab().toImage();
        const QRgb line = gapped.pixel(x, lineY);
        int longestGap = 0;
        for (int gx = 0, run = 0; gx < gapped.width(); ++gx) {
            run = gapped.pixel(gx, lineY) == line ? 0 : run + 1;
            longestGap = std::max(longestGap, run);
        }
        QVERIFY2(longestGap >= group->fontMetrics().horizontalAdvance(blank), qPrintable(title));
        group->setTitle(title);
    }
}

void AppTemplateTest::listsHoldTheirEntriesWithoutSelection() {
    CQN7_SETUPTOOLDlg dialog;
    const auto entries = [&](int id) {
        QStringList list;
        auto* combo = ControlOf<QComboBox>(dialog, id);
        for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
        return list;
    };
    QCOMPARE(entries(ctl::kEncryption),
             QStringList({"NONE", "WEP_OPEN", "WEP_SHARE", "WPA_TKIP", "WPA_AES", "WPA2_TKIP",
                          "WPA2_AES", "WPA/WPA2_TKIP", "WPA/WPA2_AES", "AUTO"}));
    QCOMPARE(entries(ctl::kUartBaud), QStringList({"1200", "2400", "4800", "9600", "19200", "38400",
                                                   "57600", "115200", "230400"}));
    QCOMPARE(entries(ctl::kDataBits), QStringList({"5", "6", "7", "8"}));
    QCOMPARE(entries(ctl::kStopBits), QStringList({"1", "2"}));
    QCOMPARE(entries(ctl::kParity), QStringList({"NONE", "ODD", "EVEN"}));
    QCOMPARE(entries(ctl::kHiddenList1), QStringList({"rrrrrrr"}));
    QCOMPARE(entries(ctl::kHiddenList2), QStringList({"xx"}));
    // The first preset carries no wifi_conf line, so the encryption list stays unselected.
    QCOMPARE(ControlOf<QComboBox>(dialog, ctl::kEncryption)->currentIndex(), -1);
}

void AppTemplateTest::linkBaudListStartsAt115200() {
    CQN7_SETUPTOOLDlg dialog;
    auto* links = ControlOf<QComboBox>(dialog, ctl::kLinkBaudList);
    QCOMPARE(links->count(), 15);
    QCOMPARE(links->itemText(0), QStringLiteral("110"));
    QCOMPARE(links->itemText(14), QStringLiteral("256000"));
    QCOMPARE(links->currentText(), QStringLiteral("115200"));
    // Drop-down lists with an edit field, like the port list; hidden, the user never sees it.
    QVERIFY(links->isEditable());
    QVERIFY(ControlOf<QComboBox>(dialog, ctl::kHiddenList1)->isEditable());
    QVERIFY(ControlOf<QComboBox>(dialog, ctl::kHiddenList2)->isEditable());
}

void AppTemplateTest::startUpShowsFirstPresetAndAppliesIt() {
    CQN7_SETUPTOOLDlg dialog;
    QCOMPARE(dialog.GetSession().CmdPane()->Text(), std::string(FirstPresetScript()));
    QCOMPARE(ControlOf<PaneWidget>(dialog, ctl::kCmdPane)->toPlainText().toStdString(), [] {
        std::string shown(FirstPresetScript());
        std::erase(shown, '\r');
        return shown;
    }());
    QVERIFY(dialog.GetSession().LogPane()->Text().empty());
    QVERIFY(ControlOf<QRadioButton>(dialog, ctl::kModeEthernet)->isChecked());
    QVERIFY(ControlOf<QAbstractButton>(dialog, ctl::kDhcp)->isChecked());
    QVERIFY(ControlOf<QRadioButton>(dialog, ctl::kTcpServer)->isChecked());
    for (int id : {ctl::kLocalIp, ctl::kMask, ctl::kGateway, ctl::kDns}) {
        QVERIFY(!dialog.Control(id)->isEnabled());
        QVERIFY(ControlOf<IpAddressEdit>(dialog, id)->IsBlank());
    }
    for (int id : {ctl::kSsid, ctl::kKey, ctl::kEncryption, ctl::kRemoteIp, ctl::kLocalPort}) {
        QVERIFY2(!dialog.Control(id)->isEnabled(), qPrintable(QString::number(id)));
    }
    QCOMPARE(ControlOf<QLineEdit>(dialog, ctl::kRemoteIp)->text(),
             QStringLiteral("192.168.11.245"));
    QCOMPARE(ControlOf<QLineEdit>(dialog, ctl::kRemotePort)->text(), QStringLiteral("8080"));
    QCOMPARE(ControlOf<QComboBox>(dialog, ctl::kUartBaud)->currentText(), QStringLiteral("115200"));
    QCOMPARE(ControlOf<QComboBox>(dialog, ctl::kDataBits)->currentText(), QStringLiteral("8"));
    QCOMPARE(ControlOf<QComboBox>(dialog, ctl::kParity)->currentText(), QStringLiteral("NONE"));
    QCOMPARE(ControlOf<QComboBox>(dialog, ctl::kStopBits)->currentText(), QStringLiteral("1"));
}

void AppTemplateTest::dialogInitDataIsTheTwoHiddenEntries() {
    QCOMPARE(kMainDialogInitData.size(), size_t{29});
    const std::vector<DialogInitRecord> records = ParseDialogInit(kMainDialogInitData);
    QCOMPARE(records.size(), size_t{2});
    QCOMPARE(records[0].controlId, ctl::kHiddenList1);
    QCOMPARE(records[0].message, kComboAddString);
    QCOMPARE(records[0].data, std::string("rrrrrrr\0", 8));
    QCOMPARE(records[1].controlId, ctl::kHiddenList2);
    QCOMPARE(records[1].data, std::string("xx\0", 3));
}

void AppTemplateTest::dialogInitParserStopsAtTruncatedRecord() {
    // A length running past the block must not be read.
    const uint8_t block[] = {0xEE, 0x03, 0x03, 0x04, 0xFF, 0x00, 0x00, 0x00, 'r'};
    QVERIFY(ParseDialogInit(block).empty());
}

void AppTemplateTest::stringTable() {
    QCOMPARE(QString::fromUtf8(LoadResourceString(kIdsAboutBox)),
             QStringLiteral("&About QN7_SETUPTOOL..."));
    QCOMPARE(QString::fromUtf8(LoadResourceString(kIdpSocketsInitFailed)),
             QStringLiteral("Windows sockets initialization failed."));
    QCOMPARE(QString::fromUtf8(LoadResourceString(999)), QString());
    QCOMPARE(QString::fromUtf8(kAboutDialogTemplate.caption),
             QStringLiteral("About ZOV-QN7_CONFIG "));
}

void AppTemplateTest::bothDialogsTakeFontCaptionAndSizeFromTheirTemplates() {
    CQN7_SETUPTOOLDlg dialog;
    CAboutDlg about(&dialog);
    const std::pair<const QDialog*, const DialogTemplate*> windows[] = {
        {&dialog, &kMainDialogTemplate}, {&about, &kAboutDialogTemplate}};
    for (const auto& [window, dialogTemplate] : windows) {
        QCOMPARE(window->font().pointSize(), dialogTemplate->fontPoints);
        QCOMPARE(window->windowTitle(), QString::fromUtf8(dialogTemplate->caption));
        const DialogBaseUnits units = DialogBaseUnits::Of(window->font());
        const QSize size = units.ToPixels(dialogTemplate->width, dialogTemplate->height);
        QCOMPARE(window->minimumSize(), size);
        QCOMPARE(window->maximumSize(), size);
    }
}

void AppTemplateTest::windowAndAboutBoxShowTheApplicationIcon() {
    CQN7_SETUPTOOLDlg dialog;
    QVERIFY(!dialog.windowIcon().pixmap(32).isNull());
    QCOMPARE(dialog.windowIcon().availableSizes().size(), 7);
    CAboutDlg about(&dialog);
    const auto* icon = about.findChild<QLabel*>(QString::number(kIdrMainFrame));
    QVERIFY(icon != nullptr);
    QVERIFY(!icon->pixmap().isNull());
}

void AppTemplateTest::everyChineseLabelCarriesItsEnglishGloss() {
    CQN7_SETUPTOOLDlg dialog;
    const auto isAscii = [](const char* text) {
        return std::all_of(text, text + std::strlen(text),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    QMap<QString, QString> tipOfText;
    for (auto* label : dialog.findChildren<QLabel*>()) tipOfText[label->text()] = label->toolTip();
    for (auto* group : dialog.findChildren<QGroupBox*>())
        tipOfText[group->title()] = group->toolTip();
    for (auto* button : dialog.findChildren<QAbstractButton*>()) {
        tipOfText[button->text()] = button->toolTip();
    }
    int glossed = 0;
    for (const ControlTemplate& control : kMainDialogTemplate.controls) {
        if (control.label == nullptr) continue;
        const QString label = QString::fromUtf8(control.label);
        QVERIFY2(isAscii(control.label) == (control.gloss == nullptr), control.label);
        QCOMPARE(tipOfText.value(label),
                 control.gloss ? QString::fromUtf8(control.gloss) : QString());
        glossed += control.gloss != nullptr;
    }
    QCOMPARE(glossed, 40);
    QCOMPARE(dialog.Control(ctl::kSearch)->toolTip(), QStringLiteral("search for the module"));
    // A field explains itself with its label's gloss.
    QCOMPARE(dialog.Control(ctl::kSsid)->toolTip(), QStringLiteral("network name"));
    QCOMPARE(dialog.Control(ctl::kMask)->toolTip(), QStringLiteral("subnet mask"));
    QCOMPARE(dialog.Control(ctl::kLogPane)->toolTip(),
             QStringLiteral("command execution and replies"));
}

void AppTemplateTest::panesShowScrollBarsWhenTheTextNeedsThem() {
    CQN7_SETUPTOOLDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* log = ControlOf<PaneWidget>(dialog, ctl::kLogPane);
    QVERIFY(!log->horizontalScrollBar()->isVisible());
    QVERIFY(!log->verticalScrollBar()->isVisible());
    dialog.GetSession().AppendLog(">:" + std::string(300, 'x') + "\r\n");
    QTRY_VERIFY(log->horizontalScrollBar()->isVisible());
    // The end of the long line can be scrolled to.
    QVERIFY(log->horizontalScrollBar()->maximum() > 0);
    for (int i = 0; i < 40; ++i) dialog.GetSession().AppendLog("(:line\r\n");
    QTRY_VERIFY(log->verticalScrollBar()->isVisible());
}

void AppTemplateTest::dialogTooBigForTheScreenScrollsInsideIt() {
    CQN7_SETUPTOOLDlg dialog;
    const QSize full = dialog.size();
    QVERIFY(FitIntoArea(dialog, full) == nullptr);  // fits: nothing changes
    QCOMPARE(dialog.size(), full);
    QScrollArea* scroller = FitIntoArea(dialog, full / 2);
    QVERIFY(scroller != nullptr);
    QCOMPARE(dialog.size(), full / 2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // Every control is still there in its state, and the tab order is that of the template.
    for (const ControlTemplate& control : kMainDialogTemplate.controls) {
        if (control.id == kStaticId) continue;
        QCOMPARE(dialog.Control(control.id)->isHidden(), control.Has(kHidden));
        QCOMPARE(dialog.Control(control.id)->window(), &dialog);
    }
    QCOMPARE(QApplication::focusWidget(), dialog.Control(ctl::kSubmit));
    CQN7_SETUPTOOLDlg unscrolled;
    unscrolled.show();
    QVERIFY(QTest::qWaitForWindowActive(&unscrolled));
    const QList<int> expected = TabWalk(unscrolled, nullptr);
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(TabWalk(dialog, &dialog), expected);
    // A click reaches a button that was out of sight once it is scrolled to.
    scroller->ensureWidgetVisible(dialog.Control(ctl::kFactoryReset));
    RecordedBoxes boxes;
    QTest::mouseClick(dialog.Control(ctl::kFactoryReset), Qt::LeftButton);
    QCOMPARE(boxes.questions.size(), 1);
}

void AppTemplateTest::dialogFitsTheAvailableScreenArea() {
    // Run at 100 % and, by CTest, at QT_SCALE_FACTOR=2, where the dialog exceeds the screen.
    CQN7_SETUPTOOLDlg dialog;
    const QSize available = dialog.screen()->availableSize();
    QVERIFY2(dialog.width() <= available.width() && dialog.height() <= available.height(),
             qPrintable(QString("%1x%2 on %3x%4")
                            .arg(dialog.width())
                            .arg(dialog.height())
                            .arg(available.width())
                            .arg(available.height())));
}

void AppTemplateTest::demoModeFirstLineNamesTheSearchButtonInBothLanguages() {
    const std::string text = DemoModeLogText("/dev/pts/4");
    QCOMPARE(QString::fromStdString(text.substr(0, text.find("\r\n"))),
             QStringLiteral("Demo mode: press 搜索模块 (search for the module) first."));
    QVERIFY(text.find("/dev/pts/4\r\n") != std::string::npos);
}

QTEST_MAIN(AppTemplateTest)
#include "tst_app_template.moc"
