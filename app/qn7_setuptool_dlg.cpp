#include "qn7_setuptool_dlg.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include "bridge_window.h"
#include "control_ids.h"
#include "exchange_controls.h"
#include "ip_address_edit.h"
#include "message_boxes.h"
#include "pane_widget.h"
#include "port_combo_box.h"
#include "qn7_setuptool_app.h"
#include "resource_strings.h"
#include "screen_fit.h"

CQN7_SETUPTOOLDlg::CQN7_SETUPTOOLDlg(QWidget* parent) : QDialog(parent), m_hIcon(AppIcon()) {
    const DialogTemplate& dialog = kMainDialogTemplate;
    const DialogBaseUnits units = SetUpDialogWindow(this, dialog);
    controls_ = BuildControls(this, dialog, units, [](const ControlTemplate& control, QWidget* p) {
        QWidget* custom = nullptr;
        if (control.id == ctl::kComPortList) custom = new PortComboBox(p);
        if (control.id == ctl::kCmdPane || control.id == ctl::kLogPane) custom = new PaneWidget(p);
        return custom;
    });
    ApplyDialogInit(controls_);
    for (const auto& [id, widget] : controls_) form_.Add(id, widget);

    progress_ = new QProgressBar(this);
    progress_->setGeometry(units.ToPixels(kProgressRect));
    progress_->setRange(0, kProgressSteps);
    progress_->setTextVisible(false);
    progress_->hide();
    stop_ = new QPushButton(QString::fromUtf8(kStopLabel), this);
    stop_->setGeometry(units.ToPixels(kStopRect));
    stop_->setToolTip(QString::fromUtf8(kStopGloss));
    stop_->hide();
    connect(stop_, &QPushButton::clicked, this, [this] { shell_.OnStop(); });
    bridgeButton_ = new QPushButton(QString::fromUtf8(kBridgeLabel), this);
    bridgeButton_->setGeometry(units.ToPixels(kBridgeRect));
    bridgeButton_->setToolTip(QString::fromUtf8(kBridgeGloss));
    bridgeButton_->setObjectName(QStringLiteral("bridgeButton"));
    // Outside the template's tab order, which stays as it is; Ctrl+B is its key.
    bridgeButton_->setFocusPolicy(Qt::ClickFocus);
    connect(bridgeButton_, &QPushButton::clicked, this, &CQN7_SETUPTOOLDlg::OpenBridge);
    auto* bridgeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(bridgeKey, &QShortcut::activated, bridgeButton_, &QPushButton::click);
    status_ = new QLabel(this);
    status_->setGeometry(units.ToPixels(kStatusRect));
    status_->setTextFormat(Qt::PlainText);
    status_->setObjectName(QStringLiteral("statusLine"));
    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, &CQN7_SETUPTOOLDlg::UpdateProgress);

    DoDataExchange();
    OnInitDialog();
    WireDispatchTable();
    FitIntoArea(*this, AvailableAreaFor(*this));
}

CQN7_SETUPTOOLDlg::~CQN7_SETUPTOOLDlg() {
    delete bridge_;
    shell_.Shutdown();
}

QWidget* CQN7_SETUPTOOLDlg::Control(int id) const {
    return form_.Widget(id);
}

void CQN7_SETUPTOOLDlg::DoDataExchange() {
    m_LogPane = qobject_cast<PaneWidget*>(Control(ctl::kLogPane));
    m_CmdPane = qobject_cast<PaneWidget*>(Control(ctl::kCmdPane));
    m_ComPortList = qobject_cast<PortComboBox*>(Control(ctl::kComPortList));
    m_LinkBaudList = qobject_cast<QComboBox*>(Control(ctl::kLinkBaudList));
    m_SsidEdit = qobject_cast<QLineEdit*>(Control(ctl::kSsid));
    m_EncryptionList = qobject_cast<QComboBox*>(Control(ctl::kEncryption));
    m_KeyEdit = qobject_cast<QLineEdit*>(Control(ctl::kKey));
    m_RemoteIpEdit = qobject_cast<QLineEdit*>(Control(ctl::kRemoteIp));
    m_BaudList = qobject_cast<QComboBox*>(Control(ctl::kUartBaud));
    m_DataBitsList = qobject_cast<QComboBox*>(Control(ctl::kDataBits));
    m_StopBitsList = qobject_cast<QComboBox*>(Control(ctl::kStopBits));
    m_ParityList = qobject_cast<QComboBox*>(Control(ctl::kParity));
}

bool CQN7_SETUPTOOLDlg::OnInitDialog() {
    // Without a window menu of ours, the About item lives in the dialog's context menu.
    setWindowIcon(m_hIcon);

    m_LogPane->UseFixedWidthFont();
    shell_.OnInitDialog(m_CmdPane, m_LogPane);
    Control(ctl::kSubmit)->setFocus();
    return true;
}

void CQN7_SETUPTOOLDlg::WireDispatchTable() {
    for (const DispatchEntry& entry : DialogShell::DispatchTable()) {
        QWidget* widget = Control(entry.id);
        const auto call = [this, entry] { shell_.Dispatch(entry.id, entry.code); };
        switch (entry.code) {
            case Notify::kClicked:
                connect(qobject_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                        call);
                break;
            case Notify::kDoubleClicked:
                connect(qobject_cast<SlotButton*>(widget), &SlotButton::doubleClicked, this, call);
                break;
            case Notify::kSelChange:
                connect(qobject_cast<QComboBox*>(widget), &QComboBox::activated, this, call);
                break;
            case Notify::kEditChange:
                connect(qobject_cast<QLineEdit*>(widget), &QLineEdit::textChanged, this, call);
                break;
            case Notify::kFieldChanged:
                connect(qobject_cast<IpAddressEdit*>(widget), &IpAddressEdit::fieldChanged, this,
                        call);
                break;
        }
    }
    connect(m_ComPortList, &PortComboBox::portTyped, this,
            [this] { shell_.Dispatch(ctl::kComPortList, Notify::kSelChange); });
    connect(m_ComPortList, &PortComboBox::portsChanged, this, [this](const PortChanges& changes) {
        GetSession().AppendLog(PortChangesLogText(changes));
    });
    // OK and Cancel have no handler of ours: they end the dialog.
    connect(qobject_cast<QPushButton*>(Control(ctl::kOk)), &QPushButton::clicked, this,
            &QDialog::accept);
    connect(qobject_cast<QPushButton*>(Control(ctl::kCancel)), &QPushButton::clicked, this,
            &QDialog::reject);
}

namespace {

// Edits, lists and address fields keep Enter: a slip of the key there must not end the program
// and lose the form.
bool KeepsEnter(const QWidget* focus) {
    for (const QWidget* w = focus; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
            qobject_cast<const IpAddressEdit*>(w)) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CQN7_SETUPTOOLDlg::keyPressEvent(QKeyEvent* event) {
    // The hidden OK button stays the default button: Enter that no control takes presses it. A
    // focused push button takes Enter itself.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && KeepsEnter(focusWidget())) {
        event->accept();
        return;
    }
    const auto* button = qobject_cast<const QPushButton*>(focusWidget());
    if (enter && event->modifiers() == Qt::NoModifier && button == nullptr) {
        qobject_cast<QPushButton*>(Control(ctl::kOk))->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CQN7_SETUPTOOLDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const QAction* about = menu.addAction(QString::fromUtf8(LoadResourceString(kIdsAboutBox)));
    if (menu.exec(event->globalPos()) == about) OnSysCommand(kAboutCommandId);
}

void CQN7_SETUPTOOLDlg::OnSysCommand(int commandId) {
    if ((commandId & 0xFFF0) != kAboutCommandId) return;
    CAboutDlg about(this);
    about.exec();
}

void CQN7_SETUPTOOLDlg::done(int result) {
    // Closing during an exchange or with the Bridge window open releases the port before the
    // window goes.
    if (bridge_) bridge_->close();
    shell_.Shutdown();
    QDialog::done(result);
}

BridgeWindow* CQN7_SETUPTOOLDlg::Bridge() const {
    return bridge_;
}

void CQN7_SETUPTOOLDlg::OpenBridge() {
    if (bridge_ || Runner().Busy()) return;
    bridge_ = new BridgeWindow(Link(), shell_.BridgeSettings(), this);
    shell_.SetBridgeOpen(true);
    connect(bridge_, &BridgeWindow::closed, this, [this] { shell_.SetBridgeOpen(false); });
    bridge_->show();
}

void CQN7_SETUPTOOLDlg::UsePort(const QString& port, const QString& description) {
    m_ComPortList->KeepAndSelect(port, description);
    shell_.UsePort(port.toStdString());
}

bool CQN7_SETUPTOOLDlg::AskYesNo(std::string_view caption, std::string_view text) {
    return ::AskYesNo(ToQString(caption), ToQString(text));
}

void CQN7_SETUPTOOLDlg::ShowErrorBox(std::string_view text) {
    ::ShowErrorBox(ToQString(text));
}

void CQN7_SETUPTOOLDlg::EnableControl(int id, bool enabled) {
    if (QWidget* control = Control(id)) control->setEnabled(enabled);
}

void CQN7_SETUPTOOLDlg::StartProgress(uint32_t totalMs) {
    progressTotalMs_ = totalMs;
    progressClock_.start();
    progress_->setValue(0);
    progress_->show();
    progressTimer_.start();
}

void CQN7_SETUPTOOLDlg::UpdateProgress() {
    progress_->setValue(
        ProgressPosition(progressClock_.elapsed(), progressTotalMs_, kProgressSteps));
}

void CQN7_SETUPTOOLDlg::StopProgress() {
    progressTimer_.stop();
    progress_->hide();
}

void CQN7_SETUPTOOLDlg::ShowStopButton(bool shown) {
    stop_->setVisible(shown);
}

void CQN7_SETUPTOOLDlg::EnableBridgeButton(bool enabled) {
    bridgeButton_->setEnabled(enabled);
}

void CQN7_SETUPTOOLDlg::ShowStatus(std::string_view text) {
    status_->setText(ToQString(text));
    status_->setToolTip(status_->text());
}

void CQN7_SETUPTOOLDlg::FocusControl(int id) {
    if (QWidget* control = Control(id)) control->setFocus();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = kAboutDialogTemplate;
    const DialogBaseUnits units = SetUpDialogWindow(this, dialog);
    const ControlMap controls = BuildControls(this, dialog, units);
    const auto* iconControl = FindControl(dialog, kIdrMainFrame);
    const QRect iconRect = units.ToPixels(iconControl->rect);
    auto* icon = qobject_cast<QLabel*>(controls.at(kIdrMainFrame));
    icon->setPixmap(AppIcon().pixmap(iconRect.size()));
    auto* ok = qobject_cast<QPushButton*>(controls.at(ctl::kOk));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}
