// The form seen through the core's FormAccess: the dialog's controls, addressed by control ID
// with the wide-character messages of each control class.
#pragma once

#include <windows.h>

#include "form_access.h"

class PortCombo;

class DialogForm final : public FormAccess {
  public:
    // The port list fills itself: it lists the ports present with what each one is.
    void Attach(HWND dialog, PortCombo* ports) {
        dialog_ = dialog;
        ports_ = ports;
    }

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

  private:
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool IsAddress(int id) const;
    std::string ListEntry(int id, int index) const;

    HWND dialog_ = nullptr;
    PortCombo* ports_ = nullptr;
};

// The whole text of a window, as UTF-8.
std::string WindowText(HWND window);
