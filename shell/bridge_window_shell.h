// The Bridge window's logic, written once for every front end: it holds the serial port and the
// PC's side of the socket through a BridgeMonitor, takes their traffic in batches on the front
// end's refresh timer into one scrollback per side, keeps the counters and rates, sends the
// user's lines, and runs the bridge check and the escape through an ExchangeRunner (the port
// and the socket are handed to them, and taken back when they are done). A front end supplies
// the view and calls Refresh() every kRefreshMs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bridge_check.h"
#include "bridge_monitor.h"
#include "exchange_runner.h"
#include "traffic_scrollback.h"
#include "ui_thread.h"

enum class BridgeSide { kSerial, kNetwork };

// The network side's fields as the user edits them: text, checked when connecting.
struct EndpointFields {
    NetProto proto = NetProto::kTcp;
    ModuleRole role = ModuleRole::kServer;
    std::string host;
    std::string port;
};

// The fields from the module's settings (script lines: the form's script, with the address in
// use where a query or the program knows it); what the settings lack stays empty.
EndpointFields EndpointFieldsFromSettings(std::string_view settings);
// The endpoint the fields name, with the module's packing from `settings`; otherwise nullopt and
// `error` says what is wrong.
std::optional<BridgeEndpoint> EndpointOfFields(const EndpointFields& fields,
                                               std::string_view settings, std::string* error);

// "发送 12 · 接收 3456 · 1.2 KB/s": a side's counters and rate.
std::string CountersText(uint64_t sent, uint64_t received, double bytesPerSecond);

class BridgeWindowView {
  public:
    virtual ~BridgeWindowView() = default;
    // A side's rows changed (new rows, rows gone at the front, another format).
    virtual void RowsChanged(BridgeSide side) = 0;
    virtual void ShowCounters(BridgeSide side, std::string_view text) = 0;
    // What a side is doing: open, opening, closed or what failed (`failed`).
    virtual void ShowSideStatus(BridgeSide side, std::string_view text, bool failed) = 0;
    // The check's or the escape's result; `busy` while one runs (the sides are handed over).
    virtual void ShowResult(std::string_view text) = 0;
    virtual void ShowBusy(bool busy) = 0;
};

class BridgeWindowShell {
  public:
    static constexpr int kRefreshMs = 33;  // at most about 30 refreshes a second
    static constexpr uint32_t kConnectTimeoutMs = 30000;

    // `settings`: the module's settings as script lines, for its packing.
    BridgeWindowShell(BridgeWindowView& view, UiThread& ui, LinkSettings link,
                      std::string settings);
    ~BridgeWindowShell();
    BridgeWindowShell(const BridgeWindowShell&) = delete;
    BridgeWindowShell& operator=(const BridgeWindowShell&) = delete;

    const LinkSettings& Link() const { return link_; }
    // Opens (again) the serial port: the window's start, and after a re-plug.
    void OpenSerial();
    void CloseSerial();
    // Connects or listens as `fields` say; a field that does not parse is reported and nothing
    // is opened.
    void Connect(const EndpointFields& fields);
    void Disconnect();
    // The send line of a side, with its line ending; false (and reported) while the side is
    // not open.
    bool Send(BridgeSide side, std::string_view text, LineEnding ending);
    // The bridge check over the fields' endpoint, the module being transparent already and
    // left so; the sides are handed over and taken back.
    void Check(const EndpointFields& fields);
    // The escape: the module answers commands again; the socket closes, the port reopens.
    void CommandMode();
    bool Busy() const { return runner_.Busy(); }

    // Takes what came since the last refresh; the front end's timer.
    void Refresh();
    // Releases the port and the socket (the window closes); a running check ends.
    void Close();

    TrafficScrollback& Scrollback(BridgeSide side) { return Of(side).scrollback; }
    uint64_t Sent(BridgeSide side) const { return Of(side).sent; }
    uint64_t Received(BridgeSide side) const { return Of(side).received; }

  private:
    struct Pane {
        TrafficScrollback scrollback;
        RateMeter rate;
        uint64_t sent = 0;
        uint64_t received = 0;
        std::optional<SideStatus> shownStatus;
    };
    // While a check or the escape runs: what to reopen afterwards.
    struct Handover {
        bool serial = false;
        bool network = false;
        BridgeEndpoint endpoint;
    };

    Pane& Of(BridgeSide side) { return side == BridgeSide::kSerial ? serial_ : network_; }
    const Pane& Of(BridgeSide side) const {
        return side == BridgeSide::kSerial ? serial_ : network_;
    }
    void Take(BridgeSide side, SideTake take);
    // Closes both sides; what was open (or opening) is reopened by TakeBack.
    Handover HandOver();
    void TakeBack(const Handover& handover);
    void RunOnPort(ExchangeRunner::Exchange exchange,
                   std::function<void(const ExchangeResult&, const Handover&)> done);

    // The lines an exchange logs go to the result.
    class ResultLog : public ExchangeLog {
      public:
        explicit ResultLog(std::string& text) : text_(text) {}
        void Log(std::string_view line) override { text_ += line; }

      private:
        std::string& text_;
    };

    BridgeWindowView& view_;
    LinkSettings link_;
    std::string settings_;
    BridgeMonitor monitor_;
    Pane serial_;
    Pane network_;
    std::optional<BridgeEndpoint> endpoint_;  // the last one connected to
    bool networkWanted_ = false;              // connected or connecting by the user's choice
    std::string resultLines_;
    ResultLog resultLog_{resultLines_};
    ExchangeRunner runner_;
};
