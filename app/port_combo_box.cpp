#include "port_combo_box.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "port_list.h"

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] {
        const QString typed = currentText().trimmed();
        if (typed.isEmpty()) return;
        KeepAndSelect(typed);
        emit portTyped(typed);
    });
}

void PortComboBox::Refresh() {
    const QString current = currentIndex() >= 0 ? itemText(currentIndex()) : QString();
    const QSignalBlocker quiet(this);
    clear();
    for (const std::string& port : ListSerialPorts()) addItem(QString::fromStdString(port));
    for (const QString& port : keptPorts_) {
        if (findText(port, Qt::MatchExactly) < 0) addItem(port);
    }
    setCurrentIndex(current.isEmpty() ? (count() > 0 ? 0 : -1)
                                      : findText(current, Qt::MatchExactly));
}

void PortComboBox::KeepAndSelect(const QString& port) {
    if (!keptPorts_.contains(port)) keptPorts_ << port;
    const QSignalBlocker quiet(this);
    if (findText(port, Qt::MatchExactly) < 0) addItem(port);
    setCurrentIndex(findText(port, Qt::MatchExactly));
}

void PortComboBox::showPopup() {
#ifndef _WIN32
    Refresh();
#endif
    QComboBox::showPopup();
}

void PortComboBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}
