// The main dialog: the form, the two panes, the link and the buttons, built from template 102.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <optional>

#include "control_ids.h"
#include "exchange_feedback.h"
#include "exchange_runner.h"
#include "session.h"
#include "template_builder.h"
#include "widget_form.h"

class PaneWidget;
class PortComboBox;
class QComboBox;
class QLineEdit;
class QLabel;
class QProgressBar;
class QPushButton;

inline constexpr int kAboutCommandId = 0x0010;

class CQN7_SETUPTOOLDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CQN7_SETUPTOOLDlg(QWidget* parent = nullptr);
    ~CQN7_SETUPTOOLDlg() override;

    // The widget of a control ID; nullptr when the template has none.
    QWidget* Control(int id) const;
    WidgetForm& Form() { return form_; }
    Session& GetSession() { return session_; }
    ExchangeRunner& Runner() { return *runner_; }
    // Selects a port the program provides (the demo module) and keeps it in the list.
    void UsePort(const QString& port, const QString& description = {});

    void done(int result) override;

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Each handler gets its row's control ID and notification code.
    using Handler = void (CQN7_SETUPTOOLDlg::*)(int id, Notify code);
    struct DispatchEntry {
        int id;
        Notify code;
        Handler handler;
    };
    static const DispatchEntry kDispatchTable[];

    void DoDataExchange();
    bool OnInitDialog();
    void WireDispatchTable();
    void OnSysCommand(int commandId);

    // Handlers, one per control and notification.
    void OnBnClickedSearch(int id, Notify code);
    void OnBnClickedPreset(int id, Notify code);
    void OnBnClickedFactoryReset(int id, Notify code);
    void OnBnClickedUserSlot(int id, Notify code);
    void OnBnDoubleClickedUserSlot(int id, Notify code);
    void OnBnClickedSaveSlot(int id, Notify code);
    void OnBnClickedSubmit(int id, Notify code);
    void OnBnClickedQuery(int id, Notify code);
    void OnBnClickedTransparent(int id, Notify code);
    void OnBnClickedWifiScan(int id, Notify code);
    void OnSelchangeComPort(int id, Notify code);
    void OnSelchangeLinkBaud(int id, Notify code);
    void OnFormControlChanged(int id, Notify code);

    // Runs an exchange started by `button`; `onReply` follows only when the module replied.
    // Every outcome is logged (where the exchange itself is silent) and shown in the status.
    void RunExchange(int button, ExchangeKind kind, std::function<bool(ExchangeHost&)> work,
                     std::function<void()> onReply = {});
    // The port and link rate in use, and how the last exchange went.
    void ShowStatus();
    void OnExchangeStopped();
    void SaveSlotAndSaySo(const std::string& name);
    void OnExchangeBusy(bool busy);
    void StartProgress(quint32 totalMs);
    void UpdateProgress();

    // In the order the controls are bound.
    QIcon m_hIcon;
    PaneWidget* m_LogPane = nullptr;
    PaneWidget* m_CmdPane = nullptr;
    PortComboBox* m_ComPortList = nullptr;
    QComboBox* m_LinkBaudList = nullptr;
    QLineEdit* m_SsidEdit = nullptr;
    QComboBox* m_EncryptionList = nullptr;
    QLineEdit* m_KeyEdit = nullptr;
    QLineEdit* m_RemoteIpEdit = nullptr;
    QComboBox* m_BaudList = nullptr;
    QComboBox* m_DataBitsList = nullptr;
    QComboBox* m_StopBitsList = nullptr;
    QComboBox* m_ParityList = nullptr;

    ControlMap controls_;
    WidgetForm form_;
    Session session_;
    ExchangeRunner* runner_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* status_ = nullptr;
    int exchangeButton_ = 0;
    ExchangeKind exchangeKind_ = ExchangeKind::kSearch;
    std::optional<ExchangeStatus> lastResult_;
    QTimer progressTimer_;
    QElapsedTimer progressClock_;
    quint32 progressTotalMs_ = 0;
};

extern PortComboBox* g_pComPortList;
extern QComboBox* g_pLinkBaudList;

// Fills the port list and the hidden link-baud list and selects their entries.
void FillLinkLists();
