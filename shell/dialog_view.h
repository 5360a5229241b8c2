// What the dialog's actions need from a front end beyond its form and its panes: the message
// boxes, the buttons' enabled state and the progress of a running exchange.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr std::string_view kErrorBoxCaption = "ZOV-QN7 CONFIG";

class DialogView {
  public:
    virtual ~DialogView() = default;
    // A Yes/No question without an owner window; true for Yes.
    virtual bool AskYesNo(std::string_view caption, std::string_view text) = 0;
    // The error box: caption kErrorBoxCaption, the error icon and an OK button; returns once
    // it is dismissed.
    virtual void ShowErrorBox(std::string_view text) = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    // The running exchange expects to wait `totalMs` in all; StopProgress when it is over.
    virtual void StartProgress(uint32_t totalMs) = 0;
    virtual void StopProgress() = 0;
};
