#include "dialog_shell.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "at_text.h"
#include "form_schema.h"
#include "port_list.h"
#include "presets.h"
#include "query_texts.h"
#include "script_form.h"
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
    {ctl::kSubmit, Notify::kClicked, &D::OnBnClickedSubmit},
    {ctl::kQuery, Notify::kClicked, &D::OnBnClickedQuery},
    {ctl::kComPortList, Notify::kSelChange, &D::OnSelchangeComPort},
    {ctl::kLinkBaudList, Notify::kSelChange, &D::OnSelchangeLinkBaud},
    {ctl::kTransparent, Notify::kClicked, &D::OnBnClickedTransparent},
    {ctl::kWifiScan, Notify::kClicked, &D::OnBnClickedWifiScan},
};

// The three rows of each user slot: its button clicked and double-clicked, its S button.
constexpr DispatchEntry kSlotRowKinds[] = {
    {ctl::kUser0, Notify::kClicked, &D::OnBnClickedUserSlot},
    {ctl::kUser0, Notify::kDoubleClicked, &D::OnBnDoubleClickedUserSlot},
    {ctl::kSave0, Notify::kClicked, &D::OnBnClickedSaveSlot},
};
constexpr int kSlotCount = ctl::kUser3 - ctl::kUser0 + 1;
static_assert(ctl::kSave3 - ctl::kSave0 + 1 == kSlotCount);

// The buttons and lists above, the slot rows, then one row for each form field, from the form
// schema.
constexpr auto kDispatchTable = [] {
    std::array<DispatchEntry,
               std::size(kButtonRows) + std::size(kSlotRowKinds) * kSlotCount + kFormSchema.size()>
        table{};
    auto next = std::copy(std::begin(kButtonRows), std::end(kButtonRows), table.begin());
    for (const DispatchEntry& kind : kSlotRowKinds) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            *next++ = {kind.id + slot, kind.code, kind.action};
        }
    }
    for (const FormField& field : kFormSchema) {
        *next++ = {field.id, field.change, &D::OnFormControlChanged};
    }
    return table;
}();

int SlotOf(int id, int firstId) {
    return id - firstId;
}

}  // namespace

int ProgressPosition(int64_t elapsedMs, uint32_t totalMs, int steps) {
    const int64_t total = std::max<int64_t>(totalMs, 1);
    return static_cast<int>(std::clamp<int64_t>(elapsedMs, 0, total) * steps / total);
}

int InitialPortIndex(const std::vector<std::string>& ports) {
    if (ports.empty()) return -1;
    const auto initial = std::find(ports.begin(), ports.end(), kInitialPort);
    return initial == ports.end() ? 0 : static_cast<int>(initial - ports.begin());
}

uint32_t LinkBaudOfEntry(std::string_view entry) {
    return static_cast<uint32_t>(std::strtoul(std::string(entry).c_str(), nullptr, 10));
}

void TakeQueryReply(Session& session, FormAccess& form, std::string_view reply) {
    const std::string cleaned = CleanQueryReply(reply);
    session.ShowScript(cleaned);
    session.ApplyScript(form, cleaned);
    session.Recompose(form);
}

DialogShell::DialogShell(FormAccess& form, DialogView& view, UiThread& ui)
    : form_(form), view_(view), link_{{}, kInitialLinkBaud}, runner_(ui) {}

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
    for (const SerialPortInfo& port : ListPortChoices()) ports.push_back(port.path);
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
    EnableExchangeButtons(true);
    view_.ShowStopButton(false);
    view_.StopProgress();
}

void DialogShell::SetBridgeOpen(bool open) {
    bridgeOpen_ = open;
    EnableExchangeButtons(!open);
}

std::string DialogShell::BridgeSettings() const {
    std::string settings = ComposeScript(form_);
    if (!moduleAddress_.empty()) settings += "at+net_wanip=" + moduleAddress_ + "\r\n";
    return settings;
}

void DialogShell::OnBnClickedSearch(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kSearch, SearchModule);
}

void DialogShell::OnBnClickedPreset(int id, Notify /*code*/) {
    if (const Preset* preset = PresetForButton(id)) session_.ShowScript(preset->script);
}

void DialogShell::OnBnClickedFactoryReset(int id, Notify /*code*/) {
    if (!view_.AskYesNo("Save", "Reset to Default Setting? ")) return;
    RunExchange(id, ExchangeKind::kFactoryReset, [](const ExchangeContext& context) {
        return SendScript(context, kFactoryResetCommand);
    });
}

void DialogShell::OnBnClickedUserSlot(int id, Notify /*code*/) {
    const std::string name = SlotName(SlotOf(id, ctl::kUser0));
    // Shows the slot, or logs why it is refused; a slot never saved changes nothing, and the
    // log pane says where it was looked for.
    if (!session_.LoadUserSlot(name)) {
        session_.AppendLog(SlotMissingLogText((session_.SlotDirectory() / name).string()));
    }
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
    session_.AppendLog(SlotSavedLogText(path, session_.CmdPane()->Text().size()));
}

void DialogShell::OnBnClickedSubmit(int id, Notify /*code*/) {
    if (session_.CmdPane() == nullptr) return;
    RunExchange(id, ExchangeKind::kSubmit,
                [script = session_.CmdPane()->Text()](const ExchangeContext& context) {
                    return SendScript(context, script);
                });
}

void DialogShell::OnBnClickedQuery(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kQuery, QueryConfig);
}

void DialogShell::OnBnClickedTransparent(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kTransparent, [](const ExchangeContext& context) {
        return SendScript(context, kTransparentCommand);
    });
}

void DialogShell::OnBnClickedWifiScan(int id, Notify /*code*/) {
    RunExchange(id, ExchangeKind::kWifiScan,
                [](const ExchangeContext& context) { return ScanWifi(context, kWifiScanCommand); });
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

void DialogShell::RunExchange(int id, ExchangeKind kind, ExchangeRunner::Exchange exchange) {
    if (bridgeOpen_) return;
    if (!runner_.Start(link_, paneLog_, std::move(exchange),
                       [this](const ExchangeResult& result) { Finished(result); }))
        return;
    exchanged_ = true;
    exchangeKind_ = kind;
    exchangeButton_ = id;
    exchangeLink_ = link_;
    lastOutcome_.reset();
    lastReplyWithoutAt_ = false;
    EnableExchangeButtons(false);
    view_.ShowStopButton(true);
    ShowStatus();
}

void DialogShell::Finished(const ExchangeResult& result) {
    if (result.foundBaud) link_.baud = *result.foundBaud;
    view_.ShowStopButton(false);
    view_.StopProgress();
    lastOutcome_ = result.outcome;
    lastReplyWithoutAt_ = result.outcome == ExchangeOutcome::kNoReply && !result.reply.empty();
    ShowStatus();
    switch (result.outcome) {
        case ExchangeOutcome::kReplied:
            if (exchangeKind_ == ExchangeKind::kQuery) {
                TakeQueryReply(session_, form_, result.reply);
                if (std::string address = GetAtValue(CleanQueryReply(result.reply), "net_wanip");
                    !address.empty())
                    moduleAddress_ = std::move(address);
            }
            break;
        case ExchangeOutcome::kNoReply:
            // Only a reply is applied: without one the form and the command pane stay as they
            // were, rather than emptying the form, and the log pane says so.
            session_.AppendLog(NoReplyLogText(exchangeKind_, exchangeLink_.port, exchangeLink_.baud,
                                              lastReplyWithoutAt_));
            break;
        case ExchangeOutcome::kStopped:
            session_.AppendLog(StoppedLogText(exchangeKind_, exchangeLink_.port));
            break;
        case ExchangeOutcome::kSerialError:
            // The port is already released while the user reads the box.
            view_.ShowErrorBox(SerialErrorText(result.failure));
            break;
    }
    // Only now, so no click starts another exchange while the box still explains this one.
    EnableExchangeButtons(!bridgeOpen_);
    // The disabled button lost the focus to its neighbour; the user's place is where they were.
    view_.FocusControl(exchangeButton_);
}

void DialogShell::EnableExchangeButtons(bool enabled) {
    for (int button : kExchangeButtons) view_.EnableControl(button, enabled);
    view_.EnableBridgeButton(enabled);
}

void DialogShell::ShowStatus() {
    view_.ShowStatus(exchanged_ ? StatusText(link_.port, link_.baud, exchangeKind_, lastOutcome_,
                                             lastReplyWithoutAt_)
                                : StatusText(link_.port, link_.baud));
}
