#include "ip_address_edit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "at_text.h"

namespace {

QString FieldValue(const QLineEdit* field) {
    return field->text().isEmpty() ? QStringLiteral("0") : field->text();
}

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        // The control is one tab stop; the dot and the arrow keys move between its fields.
        field->setFocusPolicy(Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        connect(field, &QLineEdit::editingFinished, this, [this, i] { FinishField(i); });
        layout->addWidget(field, 1);
        fields_[i] = field;
    }
    setFocusProxy(fields_[0]);
}

std::string IpAddressEdit::Text() const {
    QStringList parts;
    for (const QLineEdit* field : fields_) parts << FieldValue(field);
    return parts.join(QLatin1Char('.')).toStdString();
}

bool IpAddressEdit::IsBlank() const {
    for (const QLineEdit* field : fields_) {
        if (!field->text().isEmpty()) return false;
    }
    return true;
}

void IpAddressEdit::SetText(std::string_view text) {
    const std::array<std::string, 4> values = AddressFields(text);
    for (int i = 0; i < 4; ++i) {
        const QString value = QString::fromStdString(values[i]);
        // Only differing fields are rewritten, so a caret in an unchanged field stays put.
        if (fields_[i]->text() != value) fields_[i]->setText(value);
        reported_[i] = value;
    }
}

void IpAddressEdit::OnFieldEdited(int index) {
    if (fields_[index]->text().size() < 3 || index == 3) return;
    FinishField(index);
    MoveToField(index + 1);
}

void IpAddressEdit::FinishField(int index) {
    QLineEdit* field = fields_[index];
    if (const AddressFieldNumber number = ParseAddressField(field->text().toStdString());
        number.overByte) {
        field->setText(QString::number(number.Clamped()));
    }
    if (field->text() == reported_[index]) return;
    reported_[index] = field->text();
    emit fieldChanged(index);
}

void IpAddressEdit::MoveToField(int index) {
    fields_[index]->setFocus(Qt::TabFocusReason);
    fields_[index]->selectAll();
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    const int index =
        static_cast<int>(std::find(fields_.begin(), fields_.end(), watched) - fields_.begin());
    if (index >= 4) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool dot = key->text() == QStringLiteral(".");
    if (dot || (key->key() == Qt::Key_Right &&
                fields_[index]->cursorPosition() == fields_[index]->text().size())) {
        if (index < 3) {
            FinishField(index);
            MoveToField(index + 1);
        }
        return true;
    }
    if ((key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Left) &&
        fields_[index]->cursorPosition() == 0 && index > 0) {
        FinishField(index);
        MoveToField(index - 1);
        fields_[index - 1]->end(false);
        return true;
    }
    return false;
}
