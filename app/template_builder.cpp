#include "template_builder.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "dialog_init.h"
#include "ip_address_edit.h"

// A group box drawn as the Windows dialog manager draws one: an etched frame whose top line
// runs through the middle of the title, with the title on the dialog's background over the
// line. The template's rectangles are laid out for that look.
class GroupBoxFrame : public QGroupBox {
    Q_OBJECT
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

namespace {

constexpr int kTitleIndentPx = 7;  // from the frame's left edge to the title
constexpr int kTitleMarginPx = 1;  // background left free beside the title

// A combo box's template height includes its drop-down list; the closed box is one line high.
constexpr int kComboEditHeightDu = 13;

QWidget* MakePushButton(const ControlTemplate& control, QWidget* parent) {
    QPushButton* button = control.Has(kNotify) ? new SlotButton(parent) : new QPushButton(parent);
    button->setDefault(control.kind == ControlKind::kDefaultPushButton);
    return button;
}

QWidget* MakeComboBox(const ControlTemplate& control, QWidget* parent) {
    auto* list = new QComboBox(parent);
    if (control.Has(kEditable)) MakeEditable(list);
    list->setInsertPolicy(QComboBox::NoInsert);
    return list;
}

QWidget* MakeLabel(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    if (control.Has(kCentered)) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

QWidget* MakeDefaultWidget(const ControlTemplate& control, QWidget* parent) {
    switch (control.kind) {
        case ControlKind::kLabel:
            return MakeLabel(control, parent);
        case ControlKind::kGroupBox:
            return new GroupBoxFrame(parent);
        case ControlKind::kPushButton:
        case ControlKind::kDefaultPushButton:
            return MakePushButton(control, parent);
        case ControlKind::kRadioButton:
            return new QRadioButton(parent);
        case ControlKind::kCheckBox:
            return new QCheckBox(parent);
        case ControlKind::kEdit:
        case ControlKind::kRichEdit:
            return new QLineEdit(parent);
        case ControlKind::kComboBox:
            return MakeComboBox(control, parent);
        case ControlKind::kIpAddress:
            return new IpAddressEdit(parent);
        case ControlKind::kIcon:
            return new QLabel(parent);
    }
    return nullptr;
}

bool IsField(const ControlTemplate& control) {
    switch (control.kind) {
        case ControlKind::kEdit:
        case ControlKind::kRichEdit:
        case ControlKind::kComboBox:
        case ControlKind::kIpAddress:
            return true;
        default:
            return false;
    }
}

void SetLabel(QWidget* widget, const ControlTemplate& control) {
    if (control.gloss != nullptr) widget->setToolTip(QString::fromUtf8(control.gloss));
    if (control.label == nullptr) return;
    const QString text = QString::fromUtf8(control.label);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    }
}

QRect ControlGeometry(const ControlTemplate& control, const DialogBaseUnits& units) {
    DialogRect rect = control.rect;
    if (control.kind == ControlKind::kComboBox) {
        rect.height = std::min(rect.height, kComboEditHeightDu);
    }
    return units.ToPixels(rect);
}

Qt::FocusPolicy FocusPolicyOf(const ControlTemplate& control) {
    if (control.Has(kTabStop)) return Qt::StrongFocus;
    // Radio buttons take the focus by click only; labels and frames never.
    return control.kind == ControlKind::kRadioButton ? Qt::ClickFocus : Qt::NoFocus;
}

void ApplyStates(QWidget* widget, const ControlTemplate& control) {
    if (control.Has(kHidden)) widget->setHidden(true);
    if (control.Has(kDisabled)) widget->setEnabled(false);
    if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && control.Has(kReadOnly)) {
        edit->setReadOnly(true);
    }
    widget->setFocusPolicy(FocusPolicyOf(control));
    if (control.id != kStaticId) {
        widget->setObjectName(QString::number(control.id));
        widget->setProperty(kControlIdProperty, control.id);
    }
}

// A radio button with the group style opens a group; the following radios join it.
void JoinRadioGroup(QWidget* widget, const ControlTemplate& control, QButtonGroup*& open,
                    QWidget* dialog) {
    auto* radio = qobject_cast<QRadioButton*>(widget);
    if (control.Has(kGroup)) open = nullptr;
    if (radio == nullptr) return;
    if (open == nullptr) open = new QButtonGroup(dialog);
    radio->setAutoExclusive(false);
    open->addButton(radio, control.id);
}

}  // namespace

DialogBaseUnits SetUpDialogWindow(QWidget* dialog, const DialogTemplate& dialogTemplate) {
    QFont font = QApplication::font();
    font.setPointSize(dialogTemplate.fontPoints);
    dialog->setFont(font);
    const DialogBaseUnits units = DialogBaseUnits::Of(dialog->font());
    dialog->setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    dialog->setFixedSize(units.ToPixels(dialogTemplate.width, dialogTemplate.height));
    return units;
}

ControlMap BuildControls(QWidget* dialog, const DialogTemplate& dialogTemplate,
                         const DialogBaseUnits& units, const ControlFactory& factory) {
    ControlMap controls;
    QButtonGroup* radioGroup = nullptr;
    QWidget* previousTabStop = nullptr;
    const ControlTemplate* previous = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = factory ? factory(control, dialog) : nullptr;
        if (widget == nullptr) widget = MakeDefaultWidget(control, dialog);
        SetLabel(widget, control);
        // A label stands just before the field it names; the field explains itself the same way.
        if (previous != nullptr && previous->kind == ControlKind::kLabel &&
            previous->gloss != nullptr && IsField(control)) {
            widget->setToolTip(QString::fromUtf8(previous->gloss));
        }
        previous = &control;
        widget->setGeometry(ControlGeometry(control, units));
        ApplyStates(widget, control);
        JoinRadioGroup(widget, control, radioGroup, dialog);
        // Frames stay beneath the controls they surround, so clicks reach those.
        if (control.kind == ControlKind::kGroupBox) widget->lower();
        if (control.Has(kTabStop)) {
            if (previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        }
        if (control.id != kStaticId) controls[control.id] = widget;
    }
    return controls;
}

void MakeEditable(QComboBox* list) {
    auto* edit = new QLineEdit(list);
    edit->setPalette(list->palette());
    list->setLineEdit(edit);
}

void AddListEntries(QComboBox* list, const QStringList& entries) {
    list->addItems(entries);
    list->setCurrentIndex(-1);
}

void ApplyDialogInit(const ControlMap& controls) {
    for (const DialogInitRecord& record : ParseDialogInit(kMainDialogInitData)) {
        const auto found = controls.find(record.controlId);
        auto* list = found == controls.end() ? nullptr : qobject_cast<QComboBox*>(found->second);
        if (list == nullptr || record.message != kComboAddString) continue;
        // The stored string carries its terminating NUL.
        AddListEntries(list, {QString::fromUtf8(record.data.c_str())});
    }
}

DialogBaseUnits DialogBaseUnits::Of(const QFont& font) {
    // The dialog manager averages the 52 Latin letters and rounds.
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect DialogBaseUnits::ToPixels(const DialogRect& rect) const {
    return {ToPixelsX(rect.x), ToPixelsY(rect.y), ToPixelsX(rect.width), ToPixelsY(rect.height)};
}

QSize DialogBaseUnits::ToPixels(int widthDu, int heightDu) const {
    return {ToPixelsX(widthDu), ToPixelsY(heightDu)};
}

void SlotButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QPushButton::mouseDoubleClickEvent(event);
    event->accept();
    emit doubleClicked();
}

void GroupBoxFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    QRect frame = rect();
    frame.setTop(metrics.height() / 2 - 1);
    qDrawShadeRect(&painter, frame, palette(), /*sunken=*/true);
    if (title().isEmpty()) return;
    const QRect text(kTitleIndentPx, 0, metrics.horizontalAdvance(title()), metrics.height());
    painter.fillRect(text.adjusted(-kTitleMarginPx, 0, kTitleMarginPx, 0), palette().window());
    style()->drawItemText(&painter, text, Qt::AlignLeft | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

#include "template_builder.moc"
