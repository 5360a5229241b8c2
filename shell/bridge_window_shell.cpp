#include "bridge_window_shell.h"

#include <memory>
#include <utility>

#include "at_text.h"
#include "bridge_report_text.h"

namespace {

constexpr uint32_t kEscapeGuardMs = 1000;
constexpr uint32_t kPeerReleaseMs = 1000;

}  // namespace

EndpointFields EndpointFieldsFromSettings(std::string_view settings) {
    const auto value = [settings](std::string_view key) { return GetAtValue(settings, key); };
    EndpointFields fields;
    ParseProto(value("remotepro"), &fields.proto);
    ParseRole(value("mode"), &fields.role);
    fields.port = value("remoteport");
    if (fields.role == ModuleRole::kClient) {
        fields.host = value("remoteip");
    } else {
        // The address in use; without it, a static address is the one the module takes.
        fields.host = value("net_wanip");
        if (fields.host.empty() && value("dhcpc") == "0")
            fields.host = GetAtField(value("net_ip"), ",", 0);
    }
    return fields;
}

std::optional<BridgeEndpoint> EndpointOfFields(const EndpointFields& fields,
                                               std::string_view settings, std::string* error) {
    EndpointOverrides overrides;
    overrides.proto = fields.proto;
    overrides.role = fields.role;
    std::string why;
    if (!CheckEndpointHost(fields.host, &why)) {
        *error = why + ": nothing was opened";
        return std::nullopt;
    }
    overrides.host = fields.host;
    uint16_t port = 0;
    if (!ParseEndpointPort(fields.port, &port, &why)) {
        *error = why + ": nothing was opened";
        return std::nullopt;
    }
    overrides.port = port;
    return EndpointFromSettings(settings, overrides, error);
}

std::string CountersText(uint64_t sent, uint64_t received, double bytesPerSecond) {
    return "> " + std::to_string(sent) + "  < " + std::to_string(received) + "  " +
           RateText(bytesPerSecond);
}

BridgeWindowShell::BridgeWindowShell(BridgeWindowView& view, UiThread& ui, LinkSettings link,
                                     std::string settings)
    : view_(view), link_(std::move(link)), settings_(std::move(settings)), runner_(ui) {}

BridgeWindowShell::~BridgeWindowShell() {
    Close();
}

void BridgeWindowShell::OpenSerial() {
    if (Busy()) return;
    monitor_.OpenSerial(link_);
    Refresh();
}

void BridgeWindowShell::CloseSerial() {
    monitor_.CloseSerial();
    Refresh();
}

void BridgeWindowShell::Connect(const EndpointFields& fields) {
    if (Busy()) return;
    std::string error;
    const std::optional<BridgeEndpoint> endpoint = EndpointOfFields(fields, settings_, &error);
    if (!endpoint) {
        monitor_.CloseNetwork();
        networkWanted_ = false;
        network_.shownStatus.reset();
        view_.ShowSideStatus(BridgeSide::kNetwork, error, true);
        return;
    }
    endpoint_ = endpoint;
    networkWanted_ = true;
    monitor_.OpenNetwork(*endpoint, kConnectTimeoutMs);
    Refresh();
}

void BridgeWindowShell::Disconnect() {
    networkWanted_ = false;
    monitor_.CloseNetwork();
    Refresh();
}

bool BridgeWindowShell::Send(BridgeSide side, std::string_view text, LineEnding ending) {
    std::string bytes = WithLineEnding(text, ending);
    if (bytes.empty()) return false;
    const bool queued = side == BridgeSide::kSerial ? monitor_.SendSerial(std::move(bytes))
                                                    : monitor_.SendNetwork(std::move(bytes));
    if (!queued) {
        Of(side).shownStatus.reset();  // shown again at the next refresh
        view_.ShowSideStatus(side,
                             side == BridgeSide::kSerial
                                 ? "the serial port is not open: nothing was sent"
                                 : "the socket is not connected: nothing was sent",
                             true);
    }
    return queued;
}

BridgeWindowShell::Handover BridgeWindowShell::HandOver() {
    Handover handover;
    // A port that failed (unplugged) is tried again too: the check or the escape needs it.
    handover.serial = monitor_.SerialStatus().state != SideState::kClosed;
    handover.network = networkWanted_ && endpoint_.has_value();
    if (handover.network) handover.endpoint = *endpoint_;
    monitor_.CloseSerial();
    monitor_.CloseNetwork();
    Refresh();
    return handover;
}

void BridgeWindowShell::TakeBack(const Handover& handover) {
    if (handover.serial) monitor_.OpenSerial(link_);
    if (handover.network) monitor_.OpenNetwork(handover.endpoint, kConnectTimeoutMs);
    Refresh();
}

void BridgeWindowShell::RunOnPort(
    ExchangeRunner::Exchange exchange,
    std::function<void(const ExchangeResult&, const Handover&)> done) {
    const Handover handover = HandOver();
    resultLines_.clear();
    view_.ShowBusy(true);
    runner_.Start(link_, resultLog_, std::move(exchange),
                  [this, handover, done = std::move(done)](const ExchangeResult& result) {
                      view_.ShowBusy(false);
                      done(result, handover);
                  });
}

void BridgeWindowShell::Check(const EndpointFields& fields) {
    if (Busy()) return;
    std::string error;
    const std::optional<BridgeEndpoint> endpoint = EndpointOfFields(fields, settings_, &error);
    if (!endpoint) {
        view_.ShowResult("The check needs an endpoint: " + error);
        return;
    }
    BridgeRequest request;
    request.overrides = {endpoint->proto, endpoint->role, endpoint->host, endpoint->port};
    // The window is where the user watches transparent mode: the check neither enters it nor
    // leaves it ("Command mode" does that).
    request.alreadyTransparent = true;
    request.stay = true;
    // A module that serves TCP takes one peer at a time: it has to see the window's connection
    // go before the check's comes, and the check's go before the window's comes back.
    const bool onePeer = endpoint->proto == NetProto::kTcp && endpoint->role == ModuleRole::kServer;
    const bool peerBefore = onePeer && monitor_.NetworkStatus().state == SideState::kOpen;
    const bool peerAfter = onePeer && networkWanted_;
    // The check's endpoint is the one the network side comes back to.
    endpoint_ = endpoint;
    auto report = std::make_shared<BridgeReport>();
    RunOnPort(
        [request, report, peerBefore, peerAfter](const ExchangeContext& context) {
            if (peerBefore) context.stop.Sleep(kPeerReleaseMs);
            *report = RunBridgeCheck(context, request);
            if (peerAfter && report->outcome != BridgeOutcome::kStopped)
                context.stop.Sleep(kPeerReleaseMs);
            ExchangeResult result;
            result.outcome = report->outcome == BridgeOutcome::kStopped ? ExchangeOutcome::kStopped
                                                                        : ExchangeOutcome::kReplied;
            return result;
        },
        [this, report](const ExchangeResult& /*result*/, const Handover& handover) {
            view_.ShowResult(resultLines_ + BridgeTable(*report));
            TakeBack(handover);
        });
}

void BridgeWindowShell::CommandMode() {
    if (Busy()) return;
    // The module closes its socket as it leaves transparent mode.
    networkWanted_ = false;
    RunOnPort(
        [](const ExchangeContext& context) {
            return LeaveTransparentMode(context, kEscapeGuardMs);
        },
        [this](const ExchangeResult& result, const Handover& handover) {
            std::string text = resultLines_;
            switch (result.outcome) {
                case ExchangeOutcome::kReplied:
                    text += "The module answers commands again.";
                    break;
                case ExchangeOutcome::kNoReply:
                    text +=
                        "The module did not answer \"at\" after the escape: it may "
                        "still be in transparent mode.";
                    break;
                case ExchangeOutcome::kStopped:
                    text += "Stopped.";
                    break;
                case ExchangeOutcome::kSerialError:
                    text += result.failure.message + " (error code " +
                            std::to_string(result.failure.code) +
                            "): " + result.failure.explanation;
                    break;
            }
            view_.ShowResult(text);
            TakeBack(handover);
        });
}

void BridgeWindowShell::Take(BridgeSide side, SideTake take) {
    Pane& pane = Of(side);
    const bool rows = take.skipped > 0 || !take.chunks.empty();
    pane.scrollback.AddSkipped(take.skipped);
    for (const TrafficChunk& chunk : take.chunks) pane.scrollback.Add(chunk);
    if (rows) view_.RowsChanged(side);
    pane.rate.Sample(std::chrono::steady_clock::now(), take.received);
    if (take.sent != pane.sent || take.received != pane.received || rows ||
        pane.rate.BytesPerSecond() > 0) {
        pane.sent = take.sent;
        pane.received = take.received;
        view_.ShowCounters(side,
                           CountersText(pane.sent, pane.received, pane.rate.BytesPerSecond()));
    }
    const SideStatus& status = take.status;
    if (pane.shownStatus && pane.shownStatus->state == status.state &&
        pane.shownStatus->text == status.text)
        return;
    pane.shownStatus = status;
    std::string text;
    switch (status.state) {
        case SideState::kClosed:
            text = side == BridgeSide::kSerial ? "port closed" : "not connected";
            break;
        case SideState::kOpening:
            text = (side == BridgeSide::kSerial ? "opening " : "") + status.text + " ...";
            break;
        case SideState::kOpen:
            text = status.text;
            break;
        case SideState::kFailed:
            text = side == BridgeSide::kSerial
                       ? status.text + ". Plug the module back in and open the port again."
                       : status.text;
            break;
    }
    view_.ShowSideStatus(side, text, status.state == SideState::kFailed);
}

void BridgeWindowShell::Refresh() {
    Take(BridgeSide::kSerial, monitor_.TakeSerial());
    Take(BridgeSide::kNetwork, monitor_.TakeNetwork());
}

void BridgeWindowShell::Close() {
    runner_.Shutdown();
    monitor_.CloseSerial();
    monitor_.CloseNetwork();
}
