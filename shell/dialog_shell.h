// The main dialog's logic, written once for every front end: the dispatch table, the action of
// each button and list, the start-up, and the exchange buttons' busy and progress handling. A
// front end supplies its form, its two panes, its view (boxes, buttons, progress) and its
// user-interface thread, wires each row of DispatchTable() to its control's notification and
// passes the notifications to Dispatch.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "control_ids.h"
#include "dialog_view.h"
#include "exchange_feedback.h"
#include "exchange_runner.h"
#include "form_access.h"
#include "session.h"
#include "ui_thread.h"

class DialogShell;

// One row of the dispatch table: a control and notification code (looked up together, since
// the codes of different control classes overlap) and the action they run.
struct DispatchEntry {
    int id = 0;
    Notify code = Notify::kClicked;
    void (DialogShell::*action)(int id, Notify code) = nullptr;
};

// The buttons that start an exchange; they stay disabled while one runs.
inline constexpr std::array<int, 6> kExchangeButtons = {
    ctl::kSearch, ctl::kSubmit, ctl::kQuery, ctl::kWifiScan, ctl::kTransparent, ctl::kFactoryReset};

// The progress bar's position out of `steps` after `elapsedMs` of an expected `totalMs`.
int ProgressPosition(int64_t elapsedMs, uint32_t totalMs, int steps);

// The link lists: the port list and the hidden link-baud list, and how a pick in them becomes
// the link settings.
inline constexpr std::array<const char*, 15> kLinkBaudEntries = {
    "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",  "14400",
    "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
inline constexpr int kLinkBaudInitialIndex = 12;  // "115200", the initial link rate
inline constexpr uint32_t kInitialLinkBaud = 115200;
// The port the list starts on where it exists (the Windows list of COM1 … COM16).
inline constexpr std::string_view kInitialPort = "COM11";

// The initial port's index in the port list, else the first entry; -1 for an empty list.
int InitialPortIndex(const std::vector<std::string>& ports);
// A link-baud entry's leading decimal number, 0 when it has none.
uint32_t LinkBaudOfEntry(std::string_view entry);

// The Query button's follow-up, used by the dialog and by qn7cfg alike: the reply cleaned
// (every "?\r\r\n" removed, so each answer reads as a script line), shown in the command pane
// and applied to the form; then the form recomposed and shown. An empty reply (no module
// answered) clears the form as an empty script does.
void TakeQueryReply(Session& session, FormAccess& form, std::string_view reply);

class DialogShell final {
  public:
    DialogShell(FormAccess& form, DialogView& view, UiThread& ui);
    ~DialogShell();
    DialogShell(const DialogShell&) = delete;
    DialogShell& operator=(const DialogShell&) = delete;

    static std::span<const DispatchEntry> DispatchTable();

    Session& GetSession() { return session_; }
    // The port the exchanges open and the link rate.
    LinkSettings& Link() { return link_; }
    ExchangeRunner& Runner() { return runner_; }

    // The dialog's initialisation once its controls exist: the panes, the form's lists, the
    // link lists with their initial selections, then the first preset shown and applied.
    void OnInitDialog(TextPane* cmdPane, TextPane* logPane);
    // Runs the action of the row for this control and notification; false when none has it.
    bool Dispatch(int id, Notify code);
    // The port the program provides (the demo module) or a test picks, as the port in use.
    void UsePort(std::string port);
    // The Stop button: the running exchange ends after the wait it is in and releases the port.
    void OnStop();
    // Ends a running exchange and releases the port (the window is closing): nothing the user
    // does meanwhile starts another, and the ended one is not reported.
    void Shutdown();

    // The Bridge window holds the port while it is open: no exchange starts meanwhile, and the
    // exchange buttons are disabled.
    void SetBridgeOpen(bool open);
    bool BridgeOpen() const { return bridgeOpen_; }
    // The module's settings the Bridge window starts its network side from: the script
    // composed from the form, and the address in use from the last query (or the one the
    // program knows, SetModuleAddress).
    std::string BridgeSettings() const;
    // The module's address in use where the program knows it (the demo module's).
    void SetModuleAddress(std::string address) { moduleAddress_ = std::move(address); }

    // Actions, one per control and notification.
    void OnBnClickedSearch(int id, Notify code);
    void OnBnClickedPreset(int id, Notify code);
    void OnBnClickedFactoryReset(int id, Notify code);
    void OnBnClickedUserSlot(int id, Notify code);
    void OnBnDoubleClickedUserSlot(int id, Notify code);
    void OnBnClickedSaveSlot(int id, Notify code);
    void OnBnClickedSubmit(int id, Notify code);
    void OnBnClickedQuery(int id, Notify code);
    void OnBnClickedTransparent(int id, Notify code);
    void OnBnClickedWifiScan(int id, Notify code);
    void OnSelchangeComPort(int id, Notify code);
    void OnSelchangeLinkBaud(int id, Notify code);
    void OnFormControlChanged(int id, Notify code);

  private:
    // A running exchange's log lines go to the log pane, its expected wait to the progress.
    class PaneLog : public ExchangeLog {
      public:
        PaneLog(Session& session, DialogView& view) : session_(session), view_(view) {}
        void Log(std::string_view text) override { session_.AppendLog(text); }
        void ExpectWait(uint32_t totalMs) override { view_.StartProgress(totalMs); }

      private:
        Session& session_;
        DialogView& view_;
    };

    // Runs an exchange started by the button `id`.
    void RunExchange(int id, ExchangeKind kind, ExchangeRunner::Exchange exchange);
    // What the user sees of an exchange's result, once it has released the port.
    void Finished(const ExchangeResult& result);
    void EnableExchangeButtons(bool enabled);
    void FillLinkLists();
    void SaveSlotAndSaySo(const std::string& name);
    // The port and link rate in use, and how the last exchange went.
    void ShowStatus();

    FormAccess& form_;
    DialogView& view_;
    Session session_;
    LinkSettings link_;
    PaneLog paneLog_{session_, view_};
    ExchangeRunner runner_;
    // The running or last exchange, its button and the link it ran over, for its outcome's
    // log line, the status line and the focus; no status before the first one, no outcome
    // while it runs.
    bool exchanged_ = false;
    ExchangeKind exchangeKind_ = ExchangeKind::kSearch;
    int exchangeButton_ = 0;
    LinkSettings exchangeLink_;
    std::optional<ExchangeOutcome> lastOutcome_;
    bool lastReplyWithoutAt_ = false;  // bytes arrived, but not the module's echo
    bool bridgeOpen_ = false;
    std::string moduleAddress_;  // net_wanip, from the last query or the program
};
