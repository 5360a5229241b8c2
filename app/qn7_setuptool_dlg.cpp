#include "qn7_setuptool_dlg.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include "about_dlg.h"
#include "app_icon.h"
#include "at_text.h"
#include "control_ids.h"
#include "exchange_feedback.h"
#include "form_schema.h"
#include "ip_address_edit.h"
#include "link_settings.h"
#include "message_boxes.h"
#include "pane_widget.h"
#include "port_combo_box.h"
#include "presets.h"
#include "query_reply.h"
#include "resource_strings.h"
#include "screen_fit.h"
#include "script_form.h"
#include "slot_button.h"
#include "user_slots.h"

PortComboBox* g_pComPortList = nullptr;
QComboBox* g_pLinkBaudList = nullptr;

namespace {

// Below the action buttons, inside the dialog's bottom margin.
constexpr DialogRect kProgressRect = {233, 326, 170, 8};
constexpr DialogRect kStopRect = {406, 324, 45, 12};
// Between the log pane and the user slots: the port, the link rate, the last outcome.
constexpr DialogRect kStatusRect = {7, 261, 225, 9};
constexpr int kProgressSteps = 1000;

const QStringList kLinkBaudEntries = {"110",   "300",   "600",    "1200",   "2400",
                                      "4800",  "9600",  "14400",  "19200",  "38400",
                                      "56000", "57600", "115200", "128000", "256000"};
constexpr int kLinkBaudInitialIndex = 12;  // "115200", the initial link rate
#ifdef _WIN32
constexpr int kComPortInitialIndex = 10;  // "COM11", the initial port
#endif

// The buttons that start an exchange; they stay disabled while one runs.
constexpr int kExchangeButtons[] = {ctl::kSearch,   ctl::kSubmit,      ctl::kQuery,
                                    ctl::kWifiScan, ctl::kTransparent, ctl::kFactoryReset};

int SlotOf(int id, int firstId) {
    return id - firstId;
}

}  // namespace

const CQN7_SETUPTOOLDlg::DispatchEntry CQN7_SETUPTOOLDlg::kDispatchTable[] = {
    {ctl::kSearch, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedSearch},
    {ctl::kPresetTcpDhcp, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedPreset},
    {ctl::kPresetWifiDhcp, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedPreset},
    {ctl::kPresetAp, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedPreset},
    {ctl::kPresetTcpStatic, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedPreset},
    {ctl::kPresetWifiStatic, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedPreset},
    {ctl::kFactoryReset, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedFactoryReset},
    {ctl::kUser0, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedUserSlot},
    {ctl::kUser0 + 1, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedUserSlot},
    {ctl::kUser0 + 2, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedUserSlot},
    {ctl::kUser3, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedUserSlot},
    {ctl::kUser0, Notify::kDoubleClicked, &CQN7_SETUPTOOLDlg::OnBnDoubleClickedUserSlot},
    {ctl::kUser0 + 1, Notify::kDoubleClicked, &CQN7_SETUPTOOLDlg::OnBnDoubleClickedUserSlot},
    {ctl::kUser0 + 2, Notify::kDoubleClicked, &CQN7_SETUPTOOLDlg::OnBnDoubleClickedUserSlot},
    {ctl::kUser3, Notify::kDoubleClicked, &CQN7_SETUPTOOLDlg::OnBnDoubleClickedUserSlot},
    {ctl::kSave0, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedSaveSlot},
    {ctl::kSave0 + 1, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedSaveSlot},
    {ctl::kSave0 + 2, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedSaveSlot},
    {ctl::kSave3, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedSaveSlot},
    {ctl::kSubmit, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedSubmit},
    {ctl::kQuery, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedQuery},
    {ctl::kComPortList, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnSelchangeComPort},
    {ctl::kLinkBaudList, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnSelchangeLinkBaud},
    {ctl::kModeEthernet, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kModeStation, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kModeAp, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kDhcp, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kTcpServer, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kTcpClient, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kUdpServer, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kUdpClient, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kSsid, Notify::kEditChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kKey, Notify::kEditChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kRemoteIp, Notify::kEditChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kRemotePort, Notify::kEditChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kLocalPort, Notify::kEditChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kEncryption, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kUartBaud, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kDataBits, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kStopBits, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kParity, Notify::kSelChange, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kLocalIp, Notify::kFieldChanged, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kMask, Notify::kFieldChanged, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kGateway, Notify::kFieldChanged, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kDns, Notify::kFieldChanged, &CQN7_SETUPTOOLDlg::OnFormControlChanged},
    {ctl::kTransparent, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedTransparent},
    {ctl::kWifiScan, Notify::kClicked, &CQN7_SETUPTOOLDlg::OnBnClickedWifiScan},
};

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

    runner_ = new ExchangeRunner(session_, this);
    progress_ = new QProgressBar(this);
    progress_->setGeometry(units.ToPixels(kProgressRect));
    progress_->setRange(0, kProgressSteps);
    progress_->setTextVisible(false);
    progress_->hide();
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    stop_->setGeometry(units.ToPixels(kStopRect));
    stop_->setToolTip(QStringLiteral("Stop the running exchange and release the port"));
    stop_->hide();
    connect(stop_, &QPushButton::clicked, runner_, &ExchangeRunner::Stop);
    connect(runner_, &ExchangeRunner::stopped, this, &CQN7_SETUPTOOLDlg::OnExchangeStopped);
    status_ = new QLabel(this);
    status_->setGeometry(units.ToPixels(kStatusRect));
    status_->setTextFormat(Qt::PlainText);
    status_->setObjectName(QStringLiteral("statusLine"));
    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, &CQN7_SETUPTOOLDlg::UpdateProgress);
    connect(runner_, &ExchangeRunner::busyChanged, this, &CQN7_SETUPTOOLDlg::OnExchangeBusy);
    connect(runner_, &ExchangeRunner::waitExpected, this, &CQN7_SETUPTOOLDlg::StartProgress);

    DoDataExchange();
    OnInitDialog();
    WireDispatchTable();
    ShowStatus();
    FitIntoArea(*this, AvailableAreaFor(*this));
}

CQN7_SETUPTOOLDlg::~CQN7_SETUPTOOLDlg() {
    runner_->Shutdown();
    g_pComPortList = nullptr;
    g_pLinkBaudList = nullptr;
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

    session_.SetPanes(m_CmdPane, m_LogPane);
    m_LogPane->UseFixedWidthFont();

    g_pComPortList = m_ComPortList;
    g_pLinkBaudList = m_LinkBaudList;

    for (const FormField& field : kFormSchema) {
        if (field.kind == FieldKind::kList) form_.FillList(field.id, field.entries);
    }
    FillLinkLists();

    session_.StartUpForm(form_);
    Control(ctl::kSubmit)->setFocus();
    return true;
}

void FillLinkLists() {
#ifdef _WIN32
    g_pComPortList->Refresh();
    g_pComPortList->setCurrentIndex(kComPortInitialIndex);
#else
    g_pComPortList->Refresh();
    g_strComPort = g_pComPortList->Port().toStdString();
#endif
    AddListEntries(g_pLinkBaudList, kLinkBaudEntries);
    g_pLinkBaudList->setCurrentIndex(kLinkBaudInitialIndex);
}

void CQN7_SETUPTOOLDlg::WireDispatchTable() {
    for (const DispatchEntry& entry : kDispatchTable) {
        QWidget* widget = Control(entry.id);
        const auto call = [this, entry] { (this->*entry.handler)(entry.id, entry.code); };
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
            [this] { OnSelchangeComPort(ctl::kComPortList, Notify::kSelChange); });
    connect(m_ComPortList, &PortComboBox::portsChanged, this, [this](const PortChanges& changes) {
        session_.AppendLog(PortChangesLogText(changes));
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
    // Closing during an exchange ends it and releases the port before the window goes.
    runner_->Shutdown();
    QDialog::done(result);
}

void CQN7_SETUPTOOLDlg::UsePort(const QString& port, const QString& description) {
    m_ComPortList->KeepAndSelect(port, description);
    g_strComPort = port.toStdString();
    ShowStatus();
}

void CQN7_SETUPTOOLDlg::OnBnClickedSearch(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kSearch, [](ExchangeHost& host) { return SearchModule(host); });
}

void CQN7_SETUPTOOLDlg::OnBnClickedPreset(int id, Notify /*code*/) {
    if (const Preset* preset = PresetForButton(id)) session_.ShowScript(preset->script);
}

void CQN7_SETUPTOOLDlg::OnBnClickedFactoryReset(int /*id*/, Notify /*code*/) {
    if (!AskYesNo(QStringLiteral("Save"), QStringLiteral("Reset to Default Setting? "))) return;
    RunExchange(ctl::kFactoryReset, ExchangeKind::kFactoryReset,
                [](ExchangeHost& host) { return SendScript(host, kFactoryResetCommand); });
}

void CQN7_SETUPTOOLDlg::OnBnClickedUserSlot(int id, Notify /*code*/) {
    const std::string name = SlotName(SlotOf(id, ctl::kUser0));
    std::string text;
    std::string reason;
    if (!ReadUserSlot(session_.SlotDirectory(), name, text, &reason) && reason.empty()) {
        session_.AppendLog(SlotMissingLogText((session_.SlotDirectory() / name).string()));
        return;
    }
    session_.LoadUserSlot(name);  // shows the slot, or logs why it is refused
}

void CQN7_SETUPTOOLDlg::OnBnDoubleClickedUserSlot(int id, Notify /*code*/) {
    SaveSlotAndSaySo(SlotName(SlotOf(id, ctl::kUser0)));
}

void CQN7_SETUPTOOLDlg::SaveSlotAndSaySo(const std::string& name) {
    if (!session_.SaveUserSlot(name)) return;  // the failure is logged by the save
    const std::string path = (session_.SlotDirectory() / name).string();
    session_.AppendLog(SlotSavedLogText(path, m_CmdPane->Text().size()));
}

void CQN7_SETUPTOOLDlg::OnBnClickedSaveSlot(int id, Notify /*code*/) {
    const std::string name = SlotName(SlotOf(id, ctl::kSave0));
    const QString question = QStringLiteral("Save current config to %1?").arg(name.c_str());
    if (AskYesNo(QStringLiteral("Save"), question)) SaveSlotAndSaySo(name);
}

void CQN7_SETUPTOOLDlg::OnBnClickedSubmit(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kSubmit, [script = m_CmdPane->Text()](ExchangeHost& host) {
        return SendScript(host, script);
    });
}

void CQN7_SETUPTOOLDlg::OnBnClickedQuery(int id, Notify /*code*/) {
    // Only a reply is applied: without one the form and the command pane stay byte for byte
    // as they were (the log pane says so), rather than emptying the form.
    auto reply = std::make_shared<std::string>();
    RunExchange(
        id, ExchangeKind::kQuery,
        [reply](ExchangeHost& host) { return QueryConfig(host, reply.get()); },
        [this, reply] { TakeQueryReply(session_, form_, *reply); });
}

void CQN7_SETUPTOOLDlg::OnBnClickedTransparent(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kTransparent,
                [](ExchangeHost& host) { return SendScript(host, kTransparentCommand); });
}

void CQN7_SETUPTOOLDlg::OnBnClickedWifiScan(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kWifiScan,
                [](ExchangeHost& host) { return ScanWifi(host, kWifiScanCommand); });
}

void CQN7_SETUPTOOLDlg::OnSelchangeComPort(int /*id*/, Notify /*code*/) {
    g_strComPort = m_ComPortList->Port().toStdString();
    if (status_ != nullptr) ShowStatus();
}

void CQN7_SETUPTOOLDlg::OnSelchangeLinkBaud(int /*id*/, Notify /*code*/) {
    // The selected entry's text, not the edit field's.
    const QString entry = m_LinkBaudList->itemText(m_LinkBaudList->currentIndex());
    g_nLinkBaud = static_cast<uint32_t>(std::strtoul(entry.toLatin1().constData(), nullptr, 10));
}

void CQN7_SETUPTOOLDlg::OnFormControlChanged(int id, Notify code) {
    session_.OnFormChanged(form_, id, code);
}

void CQN7_SETUPTOOLDlg::RunExchange(int button, ExchangeKind kind,
                                    std::function<bool(ExchangeHost&)> work,
                                    std::function<void()> onReply) {
    auto replied = std::make_shared<bool>(false);
    const std::string port = g_strComPort;
    const bool started = runner_->Start(
        port, [work = std::move(work), replied](ExchangeHost& host) { *replied = work(host); },
        [this, kind, port, replied, onReply = std::move(onReply)] {
            ExchangeStatus result = ExchangeStatus::kReplied;
            if (runner_->ErrorShown()) {
                result = ExchangeStatus::kSerialError;
            } else if (!*replied) {
                result = ExchangeStatus::kNoReply;
                session_.AppendLog(NoReplyLogText(kind, port, g_nLinkBaud));
            } else if (onReply) {
                onReply();
            }
            lastResult_ = result;
            ShowStatus();
        });
    if (!started) return;
    exchangeButton_ = button;
    exchangeKind_ = kind;
    lastResult_ = ExchangeStatus::kRunning;
    ShowStatus();
}

void CQN7_SETUPTOOLDlg::ShowStatus() {
    const std::string text =
        lastResult_ ? StatusText(g_strComPort, g_nLinkBaud, exchangeKind_, *lastResult_)
                    : StatusText(g_strComPort, g_nLinkBaud);
    status_->setText(QString::fromStdString(text));
    status_->setToolTip(status_->text());
}

void CQN7_SETUPTOOLDlg::OnExchangeStopped() {
    session_.AppendLog(StoppedLogText(exchangeKind_, g_strComPort));
    lastResult_ = ExchangeStatus::kStopped;
    ShowStatus();
}

void CQN7_SETUPTOOLDlg::OnExchangeBusy(bool busy) {
    for (int id : kExchangeButtons) Control(id)->setEnabled(!busy);
    stop_->setVisible(busy);
    if (busy) return;
    progressTimer_.stop();
    progress_->hide();
    // The disabled button lost the focus to its neighbour; the user's place is where they were.
    if (QWidget* button = Control(exchangeButton_)) button->setFocus();
}

void CQN7_SETUPTOOLDlg::StartProgress(quint32 totalMs) {
    progressTotalMs_ = std::max<quint32>(totalMs, 1);
    progressClock_.start();
    progress_->setValue(0);
    progress_->show();
    progressTimer_.start();
}

void CQN7_SETUPTOOLDlg::UpdateProgress() {
    const qint64 elapsed = std::min<qint64>(progressClock_.elapsed(), progressTotalMs_);
    progress_->setValue(static_cast<int>(elapsed * kProgressSteps / progressTotalMs_));
}
