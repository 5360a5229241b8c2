// The form in memory: every field of the form schema, with the lists filled as the dialog fills
// them (no selection yet). Used by the tests and the command line.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "control_ids.h"
#include "form_access.h"
#include "form_schema.h"

class FormModel : public FormAccess {
  public:
    // Receives the notifications the form raises (EN_CHANGE from SetText, and those of the
    // user actions below), as the dialog's dispatch would.
    using NotifyHandler = std::function<void(int id, Notify code)>;

    FormModel();

    void SetNotifyHandler(NotifyHandler handler) { notify_ = std::move(handler); }

    // FormAccess. Unknown IDs read as empty/unchecked/unselected and ignore writes; FillList
    // makes a list of any ID (the dialog's link lists).
    bool IsChecked(int id) const override;
    std::string GetText(int id) const override;
    int GetSelectedIndex(int id) const override;
    std::string GetSelectedText(int id) const override;
    void SetText(int id, std::string_view text) override;
    void SetCheck(int id, bool checked) override;
    void Enable(int id, bool enabled) override;
    void SelectIndex(int id, int index) override;
    void SelectByPrefix(int id, std::string_view prefix) override;
    void FillList(int id, std::span<const char* const> entries) override;

    // Queries for tests and tools.
    bool Has(int id) const { return controls_.count(id) != 0; }
    bool IsEnabled(int id) const;
    const std::vector<std::string>& Entries(int id) const;

    // What a user does: click a radio (unchecking the rest of its group) or toggle the check
    // box, pick a list entry, finish editing an IP address field. Each raises its notification.
    void Click(int id);
    void Choose(int id, int index);
    void EnterAddress(int id, std::string_view text);

  private:
    struct Control {
        FieldKind kind = FieldKind::kEdit;
        int radioGroup = 0;  // radios of one group uncheck each other on a click
        bool enabled = true;
        bool checked = false;
        std::string text;  // edits and IP controls; "" is a blank IP control
        std::vector<std::string> entries;
        int selected = -1;
    };

    Control* Find(int id);
    const Control* Find(int id) const;
    void Raise(int id, Notify code);

    std::map<int, Control> controls_;
    NotifyHandler notify_;
};
