// The Bridge window: both ends of the module's data path side by side, the module's UART on the
// left and the network peer on the right, each with its view, send line, counters and rate; the
// network side's endpoint, the check and the escape above them. A non-modal window of the main
// dialog that holds the port while it is open. Its logic is BridgeWindowShell's; this is the
// Qt front end of it.
#pragma once

#include <QTimer>
#include <QWidget>

#include "bridge_window_shell.h"
#include "qt_ui_thread.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TrafficView;

class BridgeWindow : public QWidget, private BridgeWindowView {
    Q_OBJECT
  public:
    // Opens the port at once; `settings` (script lines) fill the network side's fields.
    BridgeWindow(const LinkSettings& link, const std::string& settings, QWidget* parent);
    ~BridgeWindow() override;

    BridgeWindowShell& Shell() { return shell_; }
    // The controls a user reaches, for the suites and the benchmark.
    struct SideControls {
        TrafficView* view = nullptr;
        QLineEdit* sendLine = nullptr;
        QComboBox* lineEnding = nullptr;
        QPushButton* send = nullptr;
        QCheckBox* hex = nullptr;
        QCheckBox* timestamps = nullptr;
        QPushButton* clear = nullptr;
        QLabel* status = nullptr;
        QLabel* counters = nullptr;
    };
    const SideControls& Side(BridgeSide side) const {
        return side == BridgeSide::kSerial ? serial_ : network_;
    }
    QComboBox* ProtoList() const { return proto_; }
    QComboBox* RoleList() const { return role_; }
    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* PortEdit() const { return port_; }
    QPushButton* ConnectButton() const { return connect_; }
    QPushButton* DisconnectButton() const { return disconnect_; }
    QPushButton* OpenPortButton() const { return openPort_; }
    QPushButton* ClosePortButton() const { return closePort_; }
    QPushButton* CheckButton() const { return check_; }
    QPushButton* CommandModeButton() const { return commandMode_; }
    QPlainTextEdit* Result() const { return result_; }

  signals:
    // The window has released the port and is going.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* BuildSide(BridgeSide side, SideControls& controls);
    QWidget* BuildEndpointRow(const std::string& settings);
    EndpointFields Fields() const;
    void SendLine(BridgeSide side);

    // BridgeWindowView.
    void RowsChanged(BridgeSide side) override;
    void ShowCounters(BridgeSide side, std::string_view text) override;
    void ShowSideStatus(BridgeSide side, std::string_view text, bool failed) override;
    void ShowResult(std::string_view text) override;
    void ShowBusy(bool busy) override;

    QtUiThread ui_;
    BridgeWindowShell shell_;
    SideControls serial_;
    SideControls network_;
    QComboBox* proto_ = nullptr;
    QComboBox* role_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* port_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* disconnect_ = nullptr;
    QPushButton* openPort_ = nullptr;
    QPushButton* closePort_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* commandMode_ = nullptr;
    QPlainTextEdit* result_ = nullptr;
    QTimer refresh_;
    bool released_ = false;
};
