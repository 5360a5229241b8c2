// The main dialog on the Windows dialog manager: template 102 built in memory, its controls
// seen as the shell's form, panes and view, and its notifications looked up in the shell's
// dispatch table.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "dialog_form_win32.h"
#include "dialog_shell.h"
#include "dialog_view.h"
#include "port_combo_win32.h"
#include "rich_edit_pane_win32.h"
#include "ui_thread.h"

inline constexpr UINT kAboutCommandId = 0x0010;

// The dialog's thread as the exchange runner sees it: tasks from the worker reach the dialog
// window as messages, so they run inside its message loop, in the order they were posted.
class WindowUiThread final : public UiThread {
  public:
    static constexpr UINT kTaskMessage = WM_APP + 1;  // wakes the window for queued tasks

    // The window whose procedure passes its messages to HandleMessage; null drops queued tasks.
    void Attach(HWND window);

    void Post(std::function<void()> task) override;

    // For the window procedure: runs the queued tasks on kTaskMessage; false for any other
    // message.
    bool HandleMessage(UINT message);

  private:
    std::atomic<HWND> window_{nullptr};
    TaskQueue tasks_;
};

class CQN7_SETUPTOOLDlg final : public DialogView {
  public:
    CQN7_SETUPTOOLDlg();
    ~CQN7_SETUPTOOLDlg() override;
    CQN7_SETUPTOOLDlg(const CQN7_SETUPTOOLDlg&) = delete;
    CQN7_SETUPTOOLDlg& operator=(const CQN7_SETUPTOOLDlg&) = delete;

    // Runs the dialog modally; returns IDOK or IDCANCEL, -1 when it could not be created.
    INT_PTR DoModal();
    // The same dialog, shown, without a loop of its own (the caller's loop serves it); ends
    // with DestroyWindow.
    HWND Create();

    HWND Window() const { return window_; }
    DialogShell& Shell() { return shell_; }
    const RichEditPane& CmdPane() const { return m_CmdPane; }
    const RichEditPane& LogPane() const { return m_LogPane; }
    // Before Create or DoModal: where the port list reads the ports present.
    PortCombo& PortList() { return m_ComPortList; }

    // DialogView.
    bool AskYesNo(std::string_view caption, std::string_view text) override;
    void ShowErrorBox(std::string_view text) override;
    void EnableControl(int id, bool enabled) override;
    void StartProgress(uint32_t totalMs) override;
    void StopProgress() override;
    void ShowStopButton(bool shown) override;
    void ShowStatus(std::string_view text) override;
    void FocusControl(int id) override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    BOOL OnInitDialog();
    void ApplyDialogInit();
    void AddAboutItem();
    void GiveListTextsTheirFields();
    void CreateExchangeControls();
    void OnSysCommand(WPARAM command, LPARAM lParam);
    bool OnPaint();
    void OnCommand(int id, int code);
    void OnTimer();
    void OnDeviceChange(WPARAM event, LPARAM data);
    void OnPortsSettled();
    void EndDialogWith(int result);

    std::vector<DWORD> template_;
    HICON m_hIcon = nullptr;
    HWND window_ = nullptr;
    bool modal_ = false;
    RichEditPane m_LogPane;
    RichEditPane m_CmdPane;
    PortCombo m_ComPortList;
    HDEVNOTIFY portNotification_ = nullptr;
    DialogForm form_;
    WindowUiThread ui_;
    DialogShell shell_;
    ULONGLONG progressStart_ = 0;
    uint32_t progressTotalMs_ = 0;
};
