#include "bridge_command.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "bridge_report_text.h"
#include "cli_options.h"
#include "exchange_feedback.h"
#include "exit_codes.h"
#include "profile.h"
#include "script_source.h"
#include "serial_port.h"
#include "terminal_host.h"

namespace {

nlohmann::json WayJson(const WayReport& way, double line) {
    return {{"sent", way.sent},
            {"received", way.received},
            {"intact", way.intact},
            {"lost", way.lost},
            {"corrupted", way.corrupted},
            {"reordered", way.reordered},
            {"damagedBlocks", way.damagedBlocks},
            {"seconds", way.seconds},
            {"bytesPerSecond", way.bytesPerSecond},
            {"ofLine", line > 0 ? way.bytesPerSecond / line : 0.0}};
}

// Whether the check got as far as the network: then the table has something to show.
bool ReachedNetwork(const BridgeReport& report) {
    switch (report.outcome) {
        case BridgeOutcome::kNoModule:
        case BridgeOutcome::kBadEndpoint:
        case BridgeOutcome::kSerialError:
            return false;
        case BridgeOutcome::kStopped:
            return report.endpoint.has_value();
        default:
            return true;
    }
}

}  // namespace

int BridgeExitStatus(const BridgeReport& report) {
    switch (report.outcome) {
        case BridgeOutcome::kIntact:
            return exit_code::kOk;
        case BridgeOutcome::kDamaged:
            return exit_code::kDamaged;
        case BridgeOutcome::kBadEndpoint:
        case BridgeOutcome::kAddressNotLocal:
            return exit_code::kDataError;
        case BridgeOutcome::kRefused:
        case BridgeOutcome::kNoModule:
        case BridgeOutcome::kStopped:  // the interrupt's own status replaces it
            return exit_code::kUnavailable;
        case BridgeOutcome::kUnreachable:
            return exit_code::kNoHost;
        case BridgeOutcome::kTimedOut:
            return exit_code::kTempFail;
        case BridgeOutcome::kAddressInUse:
            return exit_code::kCantCreate;
        case BridgeOutcome::kNotTransparent:
        case BridgeOutcome::kLeftTransparent:
        case BridgeOutcome::kNoCommandMode:
            return exit_code::kProtocol;
        case BridgeOutcome::kSerialError:
            return report.serialFailure.code == kErrorAccessDenied ? exit_code::kNoPermission
                                                                   : exit_code::kIoError;
    }
    return exit_code::kIoError;
}

std::string BridgeJson(const std::string& port, const BridgeReport& report, int status) {
    const double line = LineBytesPerSecond(report);
    nlohmann::json json = {
        {"port", port},
        {"rate", report.lineBaud},
        {"outcome", BridgeOutcomeName(report.outcome)},
        {"message", report.message},
        {"status", status},
        {"endpoint", nullptr},
        {"peer", report.peer},
        {"toNetwork", WayJson(report.toNetwork, line)},
        {"toSerial", WayJson(report.toSerial, line)},
        {"latency",
         {{"probes", report.latency.probes},
          {"answered", report.latency.answered},
          {"p50Ms", report.latency.p50Ms},
          {"p99Ms", report.latency.p99Ms},
          {"maxMs", report.latency.maxMs},
          {"limitMs", report.latency.limitMs}}},
        {"commandMode", CommandModeName(report.commandMode)},
    };
    if (report.endpoint) {
        json["endpoint"] = {{"proto", ProtoName(report.endpoint->proto)},
                            {"role", RoleName(report.endpoint->role)},
                            {"host", report.endpoint->host},
                            {"port", report.endpoint->port}};
    }
    // Messages and peers are ASCII, and a port name is what the user typed: replace, not throw.
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string BridgeSummary(const BridgeReport& report) {
    if (report.outcome != BridgeOutcome::kIntact && report.outcome != BridgeOutcome::kDamaged)
        return report.message;
    std::string summary = "to network " + FixedText(report.toNetwork.bytesPerSecond, 0) +
                          " B/s, to serial " + FixedText(report.toSerial.bytesPerSecond, 0) +
                          " B/s";
    if (report.latency.answered > 0)
        summary += ", p50 " + FixedText(report.latency.p50Ms, 1) + " ms";
    if (report.outcome == BridgeOutcome::kDamaged) summary += "; " + report.message;
    return summary;
}

int ReadBridgeSettings(const CliOptions& options, std::istream& in,
                       std::optional<std::string>* settings, std::ostream& err) {
    const std::optional<std::string>& source = options.compose.fromFile;
    if (!source) return exit_code::kOk;
    std::string text;
    std::string error;
    if (const int status = ReadSourceBytes(*source, in, text, error)) {
        err << "qn7cfg: " << error << '\n';
        return status;
    }
    if (!LooksLikeProfile(text)) {
        *settings = ToCrLf(text);
        return exit_code::kOk;
    }
    ProfileContents profile;
    if (const int status = ReadProfile(text, profile, error)) {
        err << "qn7cfg: " << DescribedSource(*source) << ": " << error << '\n';
        return status;
    }
    *settings = profile.script;
    return exit_code::kOk;
}

BridgeRun RunBridgeOnPort(const CliOptions& options, const std::optional<std::string>& settings,
                          TerminalHost& host, std::ostream& out, std::ostream& err) {
    BridgeRequest request = options.bridge;
    request.settings = settings;
    const BridgeReport report = RunBridgeCheck(host.Context(), request);
    const int status = BridgeExitStatus(report);
    if (options.json) {
        out << BridgeJson(host.Link().port, report, status);
    } else if (ReachedNetwork(report)) {
        out << BridgeTable(report);
    }
    if (report.outcome == BridgeOutcome::kSerialError) {
        err << SerialErrorText(report.serialFailure) << '\n';
    } else if (report.outcome == BridgeOutcome::kStopped) {
        err << "qn7cfg: bridge check stopped; the socket was closed"
            << (report.commandMode == CommandMode::kConfirmed
                    ? " and the module answers commands again"
                    : "")
            << '\n';
    } else if (report.outcome != BridgeOutcome::kIntact) {
        err << "qn7cfg: " << host.Link().port << ": " << report.message << '\n';
    }
    return {status, BridgeSummary(report)};
}
