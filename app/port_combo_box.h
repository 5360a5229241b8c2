// The port list: the serial devices present, refreshed each time the list opens, plus ports the
// program was given (the demo module) or the user typed and confirmed with Enter.
#pragma once

#include <QComboBox>
#include <QStringList>

class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit PortComboBox(QWidget* parent = nullptr);

    // Lists the present devices and the kept ports; keeps the current port selected.
    void Refresh();
    // Keeps `port` in the list across refreshes and selects it (no selection-change signal).
    void KeepAndSelect(const QString& port);

    void showPopup() override;

  signals:
    // A path typed into the edit field and confirmed with Enter.
    void portTyped(const QString& port);

  protected:
    // Enter confirms a typed port and goes no further (it must not reach a dialog button).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QStringList keptPorts_;
};
