#include "widget_form.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

#include "ip_address_edit.h"
#include "port_combo_box.h"
#include "template_builder.h"

QWidget* WidgetForm::Widget(int id) const {
    const auto found = widgets_.find(id);
    return found == widgets_.end() ? nullptr : found->second;
}

bool WidgetForm::IsChecked(int id) const {
    const auto* button = qobject_cast<const QAbstractButton*>(Widget(id));
    return button != nullptr && button->isChecked();
}

std::string WidgetForm::GetText(int id) const {
    QWidget* widget = Widget(id);
    if (const auto* ip = qobject_cast<const IpAddressEdit*>(widget)) return ip->Text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text().toStdString();
    return {};
}

int WidgetForm::GetSelectedIndex(int id) const {
    const auto* list = qobject_cast<const QComboBox*>(Widget(id));
    return list == nullptr ? -1 : list->currentIndex();
}

std::string WidgetForm::GetSelectedText(int id) const {
    const auto* list = qobject_cast<const QComboBox*>(Widget(id));
    if (list == nullptr || list->currentIndex() < 0) return {};
    // The entry's own text: the port list shows a label for each entry but holds its path.
    return list->itemData(list->currentIndex(), Qt::EditRole).toString().toStdString();
}

void WidgetForm::SetText(int id, std::string_view text) {
    QWidget* widget = Widget(id);
    if (auto* ip = qobject_cast<IpAddressEdit*>(widget)) {
        ip->SetText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(ToQString(text));  // raises textChanged, the edit's change notification
    }
}

void WidgetForm::SetCheck(int id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Widget(id));
    if (button == nullptr) return;
    // An exclusive group refuses to uncheck its checked button; the applier needs to.
    QButtonGroup* group = button->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive) group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive) group->setExclusive(true);
}

void WidgetForm::Enable(int id, bool enabled) {
    if (QWidget* widget = Widget(id)) widget->setEnabled(enabled);
}

void WidgetForm::SelectIndex(int id, int index) {
    if (auto* list = qobject_cast<QComboBox*>(Widget(id))) list->setCurrentIndex(index);
}

void WidgetForm::FillList(int id, std::span<const char* const> entries) {
    auto* list = qobject_cast<QComboBox*>(Widget(id));
    if (list == nullptr) return;
    // The port list lists the devices present itself (the same ones, each with what it is) and
    // follows hot-plug.
    if (auto* ports = qobject_cast<PortComboBox*>(list)) {
        ports->Refresh();
        return;
    }
    QStringList texts;
    for (const char* entry : entries) texts << QString::fromUtf8(entry);
    AddListEntries(list, texts);
}

void WidgetForm::SelectByPrefix(int id, std::string_view prefix) {
    auto* list = qobject_cast<QComboBox*>(Widget(id));
    if (list == nullptr) return;
    const QString wanted = ToQString(prefix);
    const int found = FindListEntry(list->count(), [&](int index) {
        return list->itemText(index).startsWith(wanted, Qt::CaseInsensitive);
    });
    if (found >= 0) list->setCurrentIndex(found);
}
