// The only way the composer, the applier and the dialog's actions reach the form. The dialog
// implements it over its widgets; FormModel implements it in memory.
#pragma once

#include <cctype>
#include <functional>
#include <span>
#include <string>
#include <string_view>

class FormAccess {
  public:
    virtual ~FormAccess() = default;

    // Read side (composer).
    virtual bool IsChecked(int id) const = 0;
    // Whole text of an edit or IP address control (UTF-8). A blank IP control gives "0.0.0.0".
    virtual std::string GetText(int id) const = 0;
    // Index of a list's selection, -1 when nothing is selected.
    virtual int GetSelectedIndex(int id) const = 0;
    // Text of the selected list entry, "" when nothing is selected.
    virtual std::string GetSelectedText(int id) const = 0;

    // Write side (applier). SetText raises the control's change notification, as a real edit
    // does; SetCheck and SelectIndex raise none. An empty text blanks an IP control.
    virtual void SetText(int id, std::string_view text) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual void SelectIndex(int id, int index) = 0;
    // Case-insensitive prefix search starting after entry 0 and wrapping to it; the selection
    // stays as it is when nothing matches.
    virtual void SelectByPrefix(int id, std::string_view prefix) = 0;

    // Start-up: adds the entries to a list in order and selects none.
    virtual void FillList(int id, std::span<const char* const> entries) = 0;
};

// The order of a list's prefix search: the entries after entry 0, then entry 0. Returns the
// first index whose entry `matches`, -1 when none does.
inline int FindListEntry(int count, const std::function<bool(int index)>& matches) {
    for (int step = 1; step <= count; ++step) {
        const int index = step % count;
        if (matches(index)) return index;
    }
    return -1;
}

// The prefix match of a list's prefix search: ASCII letters compare without case.
inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}
