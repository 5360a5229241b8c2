#include "port_combo_box.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSocketNotifier>
#include <algorithm>

#include "port_watch.h"
#include "template_builder.h"
#include "widget_form.h"

namespace {

// udev makes the node first and the by-id link a moment later: one scan after both.
constexpr int kSettleMs = 300;

}  // namespace

// Each entry shows its label in the drop-down and its path in the edit field: an editable
// combo box puts an entry's edit role into the field.
class PortListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void SetEntries(std::vector<SerialPortInfo> entries) {
        beginResetModel();
        entries_ = std::move(entries);
        endResetModel();
    }
    const std::vector<SerialPortInfo>& Entries() const { return entries_; }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(entries_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount({})) return {};
        const SerialPortInfo& entry = entries_[static_cast<std::size_t>(index.row())];
        switch (role) {
            case Qt::EditRole:
                return ToQString(entry.path);
            case Qt::DisplayRole:
            case Qt::ToolTipRole:
                return ToQString(PortLabel(entry));
            default:
                return {};
        }
    }

  private:
    std::vector<SerialPortInfo> entries_;
};

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent), model_(new PortListModel(this)) {
    // The model first, so that the edit field's completer is made on it, not made over.
    setModel(model_);
    MakeEditable(this);
    setInsertPolicy(QComboBox::NoInsert);
    // A typed path is taken as typed: no completion from the list ("/dev/ttyS1" is not
    // "/dev/ttyS10").
    setCompleter(nullptr);
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &PortComboBox::Refresh);
    connect(this, &QComboBox::currentIndexChanged, this, &PortComboBox::ShowPortInFull);
    WatchDevices();
}

PortComboBox::~PortComboBox() = default;

void PortComboBox::SetDeviceRoot(const std::filesystem::path& root) {
    root_ = root;
    present_.reset();
    Refresh();
    WatchDevices();
}

void PortComboBox::WatchDevices() {
    delete notifier_;
    notifier_ = nullptr;
    watch_ = std::make_unique<PortWatch>(root_.empty() ? std::filesystem::path("/") : root_);
    if (watch_->Fd() < 0) return;
    notifier_ = new QSocketNotifier(watch_->Fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        if (watch_->Drain()) settle_.start();
    });
}

void PortComboBox::Refresh() {
    const QString inUse = Port();
    std::vector<SerialPortInfo> present =
        root_.empty() ? ListPortChoices() : ListSerialPortsUnder(root_);
    const std::optional<PortChanges> changes =
        present_ ? std::optional(ComparePortLists(*present_, present)) : std::nullopt;
    present_ = present;
    for (const SerialPortInfo& port : kept_) {
        const bool listed =
            std::any_of(present.begin(), present.end(),
                        [&](const SerialPortInfo& p) { return p.path == port.path; });
        if (!listed) present.push_back(port);
    }
    {
        const QSignalBlocker quiet(this);
        model_->SetEntries(std::move(present));
        SelectPort(inUse.isEmpty() && count() > 0 ? itemData(0, Qt::EditRole).toString() : inUse);
    }
    ShowPortInFull();
    if (changes && !changes->Empty()) emit portsChanged(*changes);
}

void PortComboBox::KeepAndSelect(const QString& port, const QString& description) {
    const std::string path = port.toStdString();
    const auto known = std::find_if(kept_.begin(), kept_.end(),
                                    [&](const SerialPortInfo& p) { return p.path == path; });
    if (known == kept_.end()) {
        kept_.push_back({path, description.toStdString()});
        std::vector<SerialPortInfo> entries = model_->Entries();
        const bool listed = std::any_of(entries.begin(), entries.end(),
                                        [&](const SerialPortInfo& p) { return p.path == path; });
        if (!listed) entries.push_back(kept_.back());
        const QSignalBlocker quiet(this);
        model_->SetEntries(std::move(entries));
    }
    {
        const QSignalBlocker quiet(this);
        SelectPort(port);
    }
    ShowPortInFull();
}

// Selects the entry with this path; a port no entry has (gone, or still being typed) stays in
// the edit field with no entry selected.
void PortComboBox::SelectPort(const QString& port) {
    const int index = findData(port, Qt::EditRole, Qt::MatchExactly);
    setCurrentIndex(index);
    if (index < 0) setEditText(port);
}

// The tooltip holds the whole entry; the field shows a long path's end, where names differ.
void PortComboBox::ShowPortInFull() {
    const int index = currentIndex();
    setToolTip(index >= 0 ? itemData(index, Qt::ToolTipRole).toString() : Port());
    if (!lineEdit()->hasFocus()) lineEdit()->setCursorPosition(static_cast<int>(Port().size()));
}

void PortComboBox::showPopup() {
    Refresh();
    FitPopupToEntries();
    QComboBox::showPopup();
}

// The drop-down is as wide as its longest entry (within the screen), however narrow the box.
void PortComboBox::FitPopupToEntries() {
    QAbstractItemView* list = view();
    const int frame = 2 * list->frameWidth();
    const int scrollBar = list->verticalScrollBar()->sizeHint().width();
    int wanted = list->sizeHintForColumn(0) + frame + scrollBar;
    if (const QScreen* where = screen()) wanted = std::min(wanted, where->availableSize().width());
    list->setMinimumWidth(std::max(wanted, width()));
}

void PortComboBox::ConfirmTypedPort() {
    const QString typed = currentText().trimmed();
    if (typed.isEmpty()) return;
    // A path the list holds is picked; any other is kept in the list from now on.
    if (findData(typed, Qt::EditRole, Qt::MatchExactly) >= 0) {
        const QSignalBlocker quiet(this);
        SelectPort(typed);
    } else {
        KeepAndSelect(typed);
    }
    ShowPortInFull();
    emit portTyped(typed);
}

void PortComboBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !view()->isVisible()) {
        ConfirmTypedPort();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}
