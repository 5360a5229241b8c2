// The port list: the serial devices present, each with what it is, following hot-plug; plus the
// ports the program was given (the demo module) or the user typed and confirmed with Enter. The
// drop-down shows "PATH — DESCRIPTION"; the edit field shows the path, which is what is opened.
#pragma once

#include <QComboBox>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "port_list.h"

class PortListModel;
class PortWatch;
class QSocketNotifier;

class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit PortComboBox(QWidget* parent = nullptr);
    ~PortComboBox() override;

    // Lists and watches the ports under this system tree from now on: "/" unless a test gives
    // a fake one. Lists them at once.
    void SetDeviceRoot(const std::filesystem::path& root);
    // Lists the present devices and the kept ports; the port in use stays in use.
    void Refresh();
    // Keeps `port` in the list across refreshes and selects it (no selection-change signal).
    void KeepAndSelect(const QString& port, const QString& description = {});
    // The port in use: the selected entry's path, or the path typed and confirmed.
    QString Port() const { return currentText(); }

    void showPopup() override;

  signals:
    // A path typed into the edit field and confirmed with Enter.
    void portTyped(const QString& port);
    // Devices came or went while the program ran.
    void portsChanged(const PortChanges& changes);

  protected:
    // Enter confirms a typed port and goes no further (it must not reach a dialog button).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ConfirmTypedPort();
    void SelectPort(const QString& port);
    void ShowPortInFull();
    void WatchDevices();
    void FitPopupToEntries();

    PortListModel* model_;
    // Empty: the system's own ports; else a system tree's (tests pass a fake one).
    std::filesystem::path root_;
    std::optional<std::vector<SerialPortInfo>> present_;  // the last scan; none before the first
    std::vector<SerialPortInfo> kept_;
    std::unique_ptr<PortWatch> watch_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer settle_;
};
