#include "form_model.h"

#include "at_text.h"

namespace {

// An IP address control holds four fields of 0 to 255; "" is a blank control.
std::string NormalizedAddress(std::string_view text) {
    std::string address;
    if (text.empty()) return address;
    for (const std::string& field : AddressFields(text)) {
        if (!address.empty()) address += '.';
        address += field;
    }
    return address;
}

}  // namespace

FormModel::FormModel() {
    for (const FormField& field : kFormSchema) {
        Control& control = controls_[field.id];
        control.kind = field.kind;
        control.radioGroup = field.radioGroup;
        control.entries.assign(field.entries.begin(), field.entries.end());
    }
}

FormModel::Control* FormModel::Find(int id) {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const FormModel::Control* FormModel::Find(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

void FormModel::Raise(int id, Notify code) {
    if (notify_) notify_(id, code);
}

bool FormModel::IsChecked(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->checked;
}

std::string FormModel::GetText(int id) const {
    const Control* control = Find(id);
    if (control == nullptr) return {};
    if (control->kind == FieldKind::kAddress && control->text.empty()) return "0.0.0.0";
    return control->text;
}

int FormModel::GetSelectedIndex(int id) const {
    const Control* control = Find(id);
    return control == nullptr ? -1 : control->selected;
}

std::string FormModel::GetSelectedText(int id) const {
    const Control* control = Find(id);
    if (control == nullptr || control->selected < 0) return {};
    return control->entries[static_cast<std::size_t>(control->selected)];
}

void FormModel::SetText(int id, std::string_view text) {
    Control* control = Find(id);
    if (control == nullptr) return;
    control->text =
        control->kind == FieldKind::kAddress ? NormalizedAddress(text) : std::string(text);
    // A real edit raises EN_CHANGE on every set text, even from code.
    Raise(id, Notify::kEditChange);
}

void FormModel::SetCheck(int id, bool checked) {
    if (Control* control = Find(id)) control->checked = checked;
}

void FormModel::Enable(int id, bool enabled) {
    if (Control* control = Find(id)) control->enabled = enabled;
}

void FormModel::SelectIndex(int id, int index) {
    Control* control = Find(id);
    if (control == nullptr) return;
    const bool inRange = index >= 0 && static_cast<std::size_t>(index) < control->entries.size();
    control->selected = inRange ? index : -1;
}

void FormModel::SelectByPrefix(int id, std::string_view prefix) {
    Control* control = Find(id);
    if (control == nullptr) return;
    const int found = FindListEntry(static_cast<int>(control->entries.size()), [&](int index) {
        return StartsWithNoCase(control->entries[static_cast<std::size_t>(index)], prefix);
    });
    if (found >= 0) control->selected = found;
}

void FormModel::FillList(int id, std::span<const char* const> entries) {
    Control& list = controls_[id];
    list.kind = FieldKind::kList;
    list.entries.assign(entries.begin(), entries.end());
    list.selected = -1;
}

bool FormModel::IsEnabled(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->enabled;
}

const std::vector<std::string>& FormModel::Entries(int id) const {
    static const std::vector<std::string> kNone;
    const Control* control = Find(id);
    return control == nullptr ? kNone : control->entries;
}

void FormModel::Click(int id) {
    Control* control = Find(id);
    const bool button = control != nullptr && (control->kind == FieldKind::kRadio ||
                                               control->kind == FieldKind::kCheckBox);
    if (!button || !control->enabled) return;
    if (control->radioGroup == 0) {
        control->checked = !control->checked;
    } else {
        for (auto& [memberId, member] : controls_) {
            if (member.radioGroup == control->radioGroup) member.checked = memberId == id;
        }
    }
    Raise(id, Notify::kClicked);
}

void FormModel::Choose(int id, int index) {
    const Control* control = Find(id);
    if (control == nullptr || control->kind != FieldKind::kList || !control->enabled) return;
    SelectIndex(id, index);
    Raise(id, Notify::kSelChange);
}

void FormModel::EnterAddress(int id, std::string_view text) {
    const Control* control = Find(id);
    if (control == nullptr || control->kind != FieldKind::kAddress || !control->enabled) return;
    SetText(id, text);
    Raise(id, Notify::kFieldChanged);
}
