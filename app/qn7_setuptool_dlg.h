// The main dialog: the widgets of template 102 and the front end of the dialog's logic in
// shell/, which it serves with its form, its panes, its view and Qt's event loop.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include "control_ids.h"
#include "dialog_shell.h"
#include "qt_ui_thread.h"
#include "template_builder.h"
#include "widget_form.h"

class BridgeWindow;
class PaneWidget;
class PortComboBox;
class QComboBox;
class QLineEdit;
class QLabel;
class QProgressBar;
class QPushButton;

inline constexpr int kAboutCommandId = 0x0010;

// The About box, template 100.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

class CQN7_SETUPTOOLDlg : public QDialog, private DialogView {
    Q_OBJECT
  public:
    explicit CQN7_SETUPTOOLDlg(QWidget* parent = nullptr);
    ~CQN7_SETUPTOOLDlg() override;

    // The widget of a control ID; nullptr when the template has none.
    QWidget* Control(int id) const;
    WidgetForm& Form() { return form_; }
    Session& GetSession() { return shell_.GetSession(); }
    ExchangeRunner& Runner() { return shell_.Runner(); }
    // The port the exchanges open and the link rate.
    LinkSettings& Link() { return shell_.Link(); }
    // Selects a port the program provides (the demo module) and keeps it in the list.
    void UsePort(const QString& port, const QString& description = {});
    // The Bridge window while it is open, else nullptr.
    BridgeWindow* Bridge() const;
    // Opens the Bridge window (the Bridge button); it holds the port until it closes.
    void OpenBridge();
    // The module's address in use where the program knows it (the demo module's).
    void SetModuleAddress(const std::string& address) { shell_.SetModuleAddress(address); }

    void done(int result) override;

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void DoDataExchange();
    bool OnInitDialog();
    void WireDispatchTable();
    void OnSysCommand(int commandId);

    // DialogView.
    bool AskYesNo(std::string_view caption, std::string_view text) override;
    void ShowErrorBox(std::string_view text) override;
    void EnableControl(int id, bool enabled) override;
    void StartProgress(uint32_t totalMs) override;
    void StopProgress() override;
    void ShowStopButton(bool shown) override;
    void EnableBridgeButton(bool enabled) override;
    void ShowStatus(std::string_view text) override;
    void FocusControl(int id) override;
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
    QProgressBar* progress_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* bridgeButton_ = nullptr;
    QPointer<BridgeWindow> bridge_;
    QLabel* status_ = nullptr;
    QTimer progressTimer_;
    QElapsedTimer progressClock_;
    uint32_t progressTotalMs_ = 0;
    QtUiThread ui_;
    // Last: it goes first, ending a running exchange while the widgets are still there.
    DialogShell shell_{form_, *this, ui_};
};
