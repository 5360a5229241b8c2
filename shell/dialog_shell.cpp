#include "dialog_shell.h"

#include <algorithm>
#include <string>
#include <vector>

#include "form_schema.h"
#include "link_lists.h"
#include "port_list.h"
#include "presets.h"
#include "query_reply.h"
#include "user_slots.h"

namespace {

using D = DialogShell;

constexpr DispatchEntry kButtonRows[] = {
    {ctl::kSearch, Notify::kClicked, &D::OnBnClickedSearch},
    {ctl::kPresetTcpDhcp, Notify::kClicked, &D::OnBnClickedPreset},
    {ctl::kPresetWifiDhcp, Notify::kClicked, &D::OnBnClickedPreset},
    {ctl::kPresetAp, Notify::kClicked, &D::OnBnClickedPreset},
    {ctl::kPresetTcpStatic, Notify::kClicked, &D::OnBnClickedPreset},
    {ctl::kPresetWifiStatic, Notify::kClicked, &D::OnBnClickedPreset},
    {ctl::kFactoryReset, Notify::kClicked, &D::OnBnClickedFactoryReset},
    {ctl::kUser0, Notify::kClicked, &D::OnBnClickedUserSlot},
    {ctl::kUser0 + 1, Notify::kClicked, &D::OnBnClickedUserSlot},
    {ctl::kUser0 + 2, Notify::kClicked, &D::OnBnClickedUserSlot},
    {ctl::kUser3, Notify::kClicked, &D::OnBnClickedUserSlot},
    {ctl::kUser0, Notify::kDoubleClicked, &D::OnBnDoubleClickedUserSlot},
    {ctl::kUser0 + 1, Notify::kDoubleClicked, &D::OnBnDoubleClickedUserSlot},
    {ctl::kUser0 + 2, Notify::kDoubleClicked, &D::OnBnDoubleClickedUserSlot},
    {ctl::kUser3, Notify::kDoubleClicked, &D::OnBnDoubleClickedUserSlot},
    {ctl::kSave0, Notify::kClicked, &D::OnBnClickedSaveSlot},
    {ctl::kSave0 + 1, Notify::kClicked, &D::OnBnClickedSaveSlot},
    {ctl::kSave0 + 2, Notify::kClicked, &D::OnBnClickedSaveSlot},
    {ctl::kSave3, Notify::kClicked, &D::OnBnClickedSaveSlot},
    {ctl::kSubmit, Notify::kClicked, &D::OnBnClickedSubmit},
    {ctl::kQuery, Notify::kClicked, &D::OnBnClickedQuery},
    {ctl::kComPortList, Notify::kSelChange, &D::OnSelchangeComPort},
    {ctl::kLinkBaudList, Notify::kSelChange, &D::OnSelchangeLinkBaud},
    {ctl::kTransparent, Notify::kClicked, &D::OnBnClickedTransparent},
    {ctl::kWifiScan, Notify::kClicked, &D::OnBnClickedWifiScan},
};

// The buttons and lists above, then one row for each form field, from the form schema.
constexpr auto kDispatchTable = [] {
    std::array<DispatchEntry, std::size(kButtonRows) + kFormSchema.size()> table{};
    auto next = std::copy(std::begin(kButtonRows), std::end(kButtonRows), table.begin());
    for (const FormField& field : kFormSchema) {
        *next++ = {field.id, field.change, &D::OnFormControlChanged};
    }
    return table;
}();

int SlotOf(int id, int firstId) {
    return id - firstId;
}

ExchangeStatus StatusOf(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::kAnswered:
            return ExchangeStatus::kReplied;
        case ExchangeOutcome::kSilent:
            return ExchangeStatus::kNoReply;
        case ExchangeOutcome::kSerialError:
            return ExchangeStatus::kSerialError;
        case ExchangeOutcome::kCancelled:
            break;
    }
    return ExchangeStatus::kStopped;
}

}  // namespace

int ProgressPosition(int64_t elapsedMs, uint32_t totalMs, int steps) {
    const int64_t total = std::max<int64_t>(totalMs, 1);
    return static_cast<int>(std::clamp<int64_t>(elapsedMs, 0, total) * steps / total);
}

DialogShell::DialogShell(FormAccess& form, DialogView& view, UiThread& ui)
    : form_(form), view_(view), link_{{}, kInitialLinkBaud}, runner_(ui, *this) {}

DialogShell::~DialogShell() {
    runner_.Shutdown();
}

std::span<const DispatchEntry> DialogShell::DispatchTable() {
    return kDispatchTable;
}

void DialogShell::OnInitDialog(TextPane* cmdPane, TextPane* logPane) {
    session_.SetPanes(cmdPane, logPane);
    for (const FormField& field : kFormSchema) {
        if (field.kind == FieldKind::kList) form_.FillList(field.id, field.entries);
    }
    FillLinkLists();
    session_.StartUpForm(form_);
    ShowStatus();
}

// The link settings start as the two lists' selections show them.
void DialogShell::FillLinkLists() {
    std::vector<std::string> ports;
    for (const SerialPortInfo& port : ListSerialPorts()) ports.push_back(port.path);
    std::vector<const char*> entries;
    for (const std::string& port : ports) entries.push_back(port.c_str());
    form_.FillList(ctl::kComPortList, entries);
    form_.SelectIndex(ctl::kComPortList, InitialPortIndex(ports));
    link_.port = form_.GetSelectedText(ctl::kComPortList);
    form_.FillList(ctl::kLinkBaudList, kLinkBaudEntries);
    form_.SelectIndex(ctl::kLinkBaudList, kLinkBaudInitialIndex);
}

bool DialogShell::Dispatch(int id, Notify code) {
    for (const DispatchEntry& entry : kDispatchTable) {
        if (entry.id == id && entry.code == code) {
            (this->*entry.action)(id, code);
            return true;
        }
    }
    return false;
}

void DialogShell::UsePort(std::string port) {
    link_.port = std::move(port);
    ShowStatus();
}

void DialogShell::OnStop() {
    if (runner_.Busy()) runner_.Cancel();
}

void DialogShell::Shutdown() {
    if (!runner_.Busy()) return;
    runner_.Shutdown();
    EndBusy();
}

void DialogShell::OnBnClickedSearch(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kSearch,
                [](ExchangeHost& host, std::string&) { return SearchModule(host); });
}

void DialogShell::OnBnClickedPreset(int id, Notify /*code*/) {
    if (const Preset* preset = PresetForButton(id)) session_.ShowScript(preset->script);
}

void DialogShell::OnBnClickedFactoryReset(int id, Notify /*code*/) {
    if (!view_.AskYesNo("Save", "Reset to Default Setting? ")) return;
    RunExchange(id, ExchangeKind::kFactoryReset, [](ExchangeHost& host, std::string&) {
        return SendScript(host, kFactoryResetCommand);
    });
}

void DialogShell::OnBnClickedUserSlot(int id, Notify /*code*/) {
    const std::string name = SlotName(SlotOf(id, ctl::kUser0));
    std::string text;
    std::string reason;
    // A slot never saved changes nothing; the log pane says where it was looked for.
    if (!ReadUserSlot(session_.SlotDirectory(), name, text, &reason) && reason.empty()) {
        Log(SlotMissingLogText((session_.SlotDirectory() / name).string()));
        return;
    }
    session_.LoadUserSlot(name);  // shows the slot, or logs why it is refused
}

void DialogShell::OnBnDoubleClickedUserSlot(int id, Notify /*code*/) {
    SaveSlotAndSaySo(SlotName(SlotOf(id, ctl::kUser0)));
}

void DialogShell::OnBnClickedSaveSlot(int id, Notify /*code*/) {
    const std::string name = SlotName(SlotOf(id, ctl::kSave0));
    if (view_.AskYesNo("Save", "Save current config to " + name + "?")) SaveSlotAndSaySo(name);
}

void DialogShell::SaveSlotAndSaySo(const std::string& name) {
    if (!session_.SaveUserSlot(name)) return;  // the failure is logged by the save
    const std::string path = (session_.SlotDirectory() / name).string();
    Log(SlotSavedLogText(path, session_.CmdPane()->Text().size()));
}

void DialogShell::OnBnClickedSubmit(int id, Notify /*code*/) {
    if (session_.CmdPane() == nullptr) return;
    RunExchange(id, ExchangeKind::kSubmit,
                [script = session_.CmdPane()->Text()](ExchangeHost& host, std::string&) {
                    return SendScript(host, script);
                });
}

void DialogShell::OnBnClickedQuery(int id, Notify /*code*/) {
    // Only a reply is applied: without one the form and the command pane stay as they were
    // (the log pane says so), rather than emptying the form.
    RunExchange(
        id, ExchangeKind::kQuery,
        [](ExchangeHost& host, std::string& reply) { return QueryConfig(host, &reply); },
        [this](const ExchangeResult& result) {
            if (result.outcome == ExchangeOutcome::kAnswered) {
                TakeQueryReply(session_, form_, result.reply);
            }
        });
}

void DialogShell::OnBnClickedTransparent(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kTransparent, [](ExchangeHost& host, std::string&) {
        return SendScript(host, kTransparentCommand);
    });
}

void DialogShell::OnBnClickedWifiScan(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kWifiScan, [](ExchangeHost& host, std::string& reply) {
        return ScanWifi(host, kWifiScanCommand, &reply);
    });
}

void DialogShell::OnSelchangeComPort(int /*id*/, Notify /*code*/) {
    link_.port = form_.GetSelectedText(ctl::kComPortList);
    ShowStatus();
}

void DialogShell::OnSelchangeLinkBaud(int /*id*/, Notify /*code*/) {
    // The selected entry's text, not the edit field's.
    link_.baud = LinkBaudOfEntry(form_.GetSelectedText(ctl::kLinkBaudList));
    ShowStatus();
}

void DialogShell::OnFormControlChanged(int id, Notify code) {
    session_.OnFormChanged(form_, id, code);
}

void DialogShell::RunExchange(int id, ExchangeKind kind, ExchangeRunner::Work work,
                              ExchangeRunner::Then then) {
    if (!runner_.Start(link_, std::move(work), std::move(then))) return;
    exchangeKind_ = kind;
    exchangeButton_ = id;
    exchangeLink_ = link_;
    lastStatus_ = ExchangeStatus::kRunning;
    for (int button : kExchangeButtons) view_.EnableControl(button, false);
    view_.ShowStopButton(true);
    ShowStatus();
}

void DialogShell::EndBusy() {
    for (int button : kExchangeButtons) view_.EnableControl(button, true);
    view_.ShowStopButton(false);
    view_.StopProgress();
}

void DialogShell::ShowStatus() {
    view_.ShowStatus(lastStatus_ ? StatusText(link_.port, link_.baud, exchangeKind_, *lastStatus_)
                                 : StatusText(link_.port, link_.baud));
}

void DialogShell::Log(std::string_view text) {
    session_.AppendLog(text);
}

void DialogShell::ShowError(std::string_view text) {
    view_.ShowErrorBox(text);
}

void DialogShell::ExpectWait(uint32_t totalMs) {
    view_.StartProgress(totalMs);
}

void DialogShell::Finished(const ExchangeResult& result) {
    if (result.foundBaud) link_.baud = *result.foundBaud;
    // The outcomes the module leaves silent still get their line.
    if (result.outcome == ExchangeOutcome::kSilent) {
        Log(NoReplyLogText(exchangeKind_, exchangeLink_.port, exchangeLink_.baud));
    } else if (result.outcome == ExchangeOutcome::kCancelled) {
        Log(StoppedLogText(exchangeKind_, exchangeLink_.port));
    }
    EndBusy();
    // The disabled button lost the focus to its neighbour; the user's place is where they were.
    view_.FocusControl(exchangeButton_);
    lastStatus_ = StatusOf(result.outcome);
    ShowStatus();
}
