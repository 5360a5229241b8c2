#include "bridge_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "bridge_window_texts.h"
#include "traffic_view.h"

namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

template <typename T>
T* Labelled(T* widget, const LabelText& text) {
    widget->setToolTip(Text(text.gloss));
    return widget;
}

QPushButton* Button(const LabelText& text, QWidget* parent) {
    return Labelled(new QPushButton(Text(text.label), parent), text);
}

QLabel* Caption(const LabelText& text, QWidget* parent) {
    return Labelled(new QLabel(Text(text.label), parent), text);
}

constexpr LineEnding kLineEndings[] = {LineEnding::kNone, LineEnding::kCr, LineEnding::kLf,
                                       LineEnding::kCrLf};

}  // namespace

BridgeWindow::BridgeWindow(const LinkSettings& link, const std::string& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), shell_(*this, ui_, link, settings) {
    setWindowTitle(Text(kBridgeWindowTitle) + QStringLiteral(" - ") + Text(link.port));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildEndpointRow(settings));
    auto* sides = new QHBoxLayout;
    sides->addWidget(BuildSide(BridgeSide::kSerial, serial_), 1);
    sides->addWidget(BuildSide(BridgeSide::kNetwork, network_), 1);
    layout->addLayout(sides, 1);
    layout->addWidget(Caption(kResultText, this));
    result_ = Labelled(new QPlainTextEdit(this), kResultText);
    result_->setReadOnly(true);
    result_->setLineWrapMode(QPlainTextEdit::NoWrap);
    result_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    result_->setMaximumHeight(result_->fontMetrics().height() * 9);
    layout->addWidget(result_);
    resize(980, 600);

    refresh_.setInterval(BridgeWindowShell::kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, [this] { shell_.Refresh(); });
    refresh_.start();
    shell_.OpenSerial();
    serial_.sendLine->setFocus();
}

BridgeWindow::~BridgeWindow() {
    refresh_.stop();
    shell_.Close();
}

QWidget* BridgeWindow::BuildEndpointRow(const std::string& settings) {
    const EndpointFields fields = EndpointFieldsFromSettings(settings);
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Caption(kProtoText, row));
    proto_ = Labelled(new QComboBox(row), kProtoText);
    proto_->addItems({QStringLiteral("TCP"), QStringLiteral("UDP")});
    proto_->setCurrentIndex(fields.proto == NetProto::kTcp ? 0 : 1);
    layout->addWidget(proto_);
    layout->addWidget(Caption(kRoleText, row));
    role_ = Labelled(new QComboBox(row), kRoleText);
    for (const char* entry : kRoleEntries) role_->addItem(Text(entry));
    role_->setCurrentIndex(fields.role == ModuleRole::kServer ? 0 : 1);
    layout->addWidget(role_);
    layout->addWidget(Caption(kAddressText, row));
    address_ = Labelled(new QLineEdit(Text(fields.host), row), kAddressText);
    address_->setPlaceholderText(QStringLiteral("127.0.0.1"));
    layout->addWidget(address_, 1);
    layout->addWidget(Caption(kPortText, row));
    port_ = Labelled(new QLineEdit(Text(fields.port), row), kPortText);
    port_->setMaximumWidth(port_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    layout->addWidget(port_);
    connect_ = Button(kConnectText, row);
    disconnect_ = Button(kDisconnectText, row);
    check_ = Button(kCheckText, row);
    commandMode_ = Button(kCommandModeText, row);
    for (QPushButton* button : {connect_, disconnect_, check_, commandMode_}) {
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    connect(connect_, &QPushButton::clicked, this, [this] { shell_.Connect(Fields()); });
    connect(disconnect_, &QPushButton::clicked, this, [this] { shell_.Disconnect(); });
    connect(check_, &QPushButton::clicked, this, [this] { shell_.Check(Fields()); });
    connect(commandMode_, &QPushButton::clicked, this, [this] { shell_.CommandMode(); });
    // Enter in the address or the port connects.
    for (QLineEdit* edit : {address_, port_})
        connect(edit, &QLineEdit::returnPressed, this, [this] { shell_.Connect(Fields()); });
    return row;
}

QWidget* BridgeWindow::BuildSide(BridgeSide side, SideControls& controls) {
    const LabelText& caption = side == BridgeSide::kSerial ? kSerialPaneText : kNetworkPaneText;
    auto* box = Labelled(new QGroupBox(Text(caption.label), this), caption);
    auto* layout = new QVBoxLayout(box);

    auto* top = new QHBoxLayout;
    controls.hex = Labelled(new QCheckBox(Text(kHexText.label), box), kHexText);
    controls.timestamps = Labelled(new QCheckBox(Text(kTimestampText.label), box), kTimestampText);
    controls.timestamps->setChecked(true);
    controls.clear = Button(kClearText, box);
    controls.clear->setAutoDefault(false);
    top->addWidget(controls.hex);
    top->addWidget(controls.timestamps);
    top->addWidget(controls.clear);
    top->addStretch(1);
    if (side == BridgeSide::kSerial) {
        openPort_ = Button(kOpenPortText, box);
        closePort_ = Button(kClosePortText, box);
        for (QPushButton* button : {openPort_, closePort_}) {
            button->setAutoDefault(false);
            top->addWidget(button);
        }
        connect(openPort_, &QPushButton::clicked, this, [this] { shell_.OpenSerial(); });
        connect(closePort_, &QPushButton::clicked, this, [this] { shell_.CloseSerial(); });
    }
    layout->addLayout(top);

    controls.status = new QLabel(box);
    controls.status->setTextFormat(Qt::PlainText);
    controls.status->setWordWrap(true);
    layout->addWidget(controls.status);
    controls.view = new TrafficView(shell_.Scrollback(side), box);
    layout->addWidget(controls.view, 1);
    controls.counters = Labelled(new QLabel(box), kCountersText);
    controls.counters->setTextFormat(Qt::PlainText);
    layout->addWidget(controls.counters);

    auto* send = new QHBoxLayout;
    controls.sendLine = new QLineEdit(box);
    controls.sendLine->setToolTip(Text(kSendText.gloss));
    controls.lineEnding = Labelled(new QComboBox(box), kLineEndingText);
    for (const char* entry : kLineEndingEntries) controls.lineEnding->addItem(Text(entry));
    controls.lineEnding->setCurrentIndex(kLineEndingInitialIndex);
    controls.send = Button(kSendText, box);
    controls.send->setAutoDefault(false);
    send->addWidget(controls.sendLine, 1);
    send->addWidget(Caption(kLineEndingText, box));
    send->addWidget(controls.lineEnding);
    send->addWidget(controls.send);
    layout->addLayout(send);

    connect(controls.send, &QPushButton::clicked, this, [this, side] { SendLine(side); });
    connect(controls.sendLine, &QLineEdit::returnPressed, this, [this, side] { SendLine(side); });
    connect(controls.hex, &QCheckBox::toggled, this, [this, side](bool hex) {
        shell_.Scrollback(side).SetFormat(hex ? TrafficFormat::kHex : TrafficFormat::kText);
        RowsChanged(side);
    });
    connect(controls.timestamps, &QCheckBox::toggled, controls.view, &TrafficView::SetTimestamps);
    connect(controls.clear, &QPushButton::clicked, this, [this, side] {
        shell_.Scrollback(side).Clear();
        RowsChanged(side);
    });
    ShowCounters(side, CountersText(0, 0, 0));
    return box;
}

EndpointFields BridgeWindow::Fields() const {
    EndpointFields fields;
    fields.proto = proto_->currentIndex() == 0 ? NetProto::kTcp : NetProto::kUdp;
    fields.role = role_->currentIndex() == 0 ? ModuleRole::kServer : ModuleRole::kClient;
    fields.host = address_->text().trimmed().toStdString();
    fields.port = port_->text().trimmed().toStdString();
    return fields;
}

void BridgeWindow::SendLine(BridgeSide side) {
    const SideControls& controls = Side(side);
    const LineEnding ending = kLineEndings[std::max(0, controls.lineEnding->currentIndex())];
    if (shell_.Send(side, controls.sendLine->text().toStdString(), ending))
        controls.sendLine->clear();
}

void BridgeWindow::RowsChanged(BridgeSide side) {
    Side(side).view->RowsChanged();
}

void BridgeWindow::ShowCounters(BridgeSide side, std::string_view text) {
    Side(side).counters->setText(Text(kCountersText.label) + QStringLiteral("  ") + Text(text));
}

void BridgeWindow::ShowSideStatus(BridgeSide side, std::string_view text, bool failed) {
    QLabel* status = Side(side).status;
    status->setText(Text(text));
    status->setStyleSheet(failed ? QStringLiteral("color: #b00020;") : QString());
}

void BridgeWindow::ShowResult(std::string_view text) {
    result_->setPlainText(Text(text));
}

void BridgeWindow::ShowBusy(bool busy) {
    for (QWidget* control :
         {static_cast<QWidget*>(connect_), static_cast<QWidget*>(disconnect_),
          static_cast<QWidget*>(check_), static_cast<QWidget*>(commandMode_),
          static_cast<QWidget*>(openPort_), static_cast<QWidget*>(closePort_),
          static_cast<QWidget*>(serial_.send), static_cast<QWidget*>(network_.send)})
        control->setEnabled(!busy);
    if (busy) result_->setPlainText(QStringLiteral("..."));
}

void BridgeWindow::closeEvent(QCloseEvent* event) {
    if (!released_) {
        refresh_.stop();
        shell_.Close();
        released_ = true;
        emit closed();
    }
    QWidget::closeEvent(event);
}
