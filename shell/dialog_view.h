// What the dialog's actions need from a front end beyond its form and its panes: the message
// boxes, the buttons' enabled state, the progress of a running exchange with its Stop button,
// the status line and the keyboard focus.
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
    // The front ends that have them show these; the defaults leave a view without them working.
    // The Stop button, shown while an exchange runs; it calls DialogShell::OnStop.
    virtual void ShowStopButton(bool /*shown*/) {}
    // The button that opens the Bridge window, which needs the port: disabled while an
    // exchange runs or the window is open.
    virtual void EnableBridgeButton(bool /*enabled*/) {}
    // The status line: the port and link rate in use and how the last exchange went.
    virtual void ShowStatus(std::string_view /*text*/) {}
    // The keyboard focus to a control: back to the button whose exchange ended, which lost it
    // while disabled.
    virtual void FocusControl(int /*id*/) {}
};
