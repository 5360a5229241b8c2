#include "bridge_report_text.h"

#include <cstdio>

namespace {

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string WayRow(std::string_view name, const WayReport& way, double line) {
    std::string row = Padded(std::string(name), 14);
    for (uint64_t count :
         {way.sent, way.received, way.intact, way.lost, way.corrupted, way.reordered})
        row += Padded(std::to_string(count), 10);
    row += Padded(FixedText(way.bytesPerSecond, 0), 10);
    row += line > 0 ? FixedText(100.0 * way.bytesPerSecond / line, 1) + " %" : "-";
    return row + "\n";
}

}  // namespace

std::string FixedText(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double LineBytesPerSecond(const BridgeReport& report) {
    return report.lineBaud / 10.0;
}

std::string_view CommandModeName(CommandMode mode) {
    switch (mode) {
        case CommandMode::kConfirmed:
            return "confirmed";
        case CommandMode::kNotConfirmed:
            return "not confirmed";
        case CommandMode::kSkipped:
            break;
    }
    return "not asked";
}

std::string BridgeTable(const BridgeReport& report) {
    std::string text;
    if (report.endpoint) {
        const BridgeEndpoint& endpoint = *report.endpoint;
        text += "endpoint      " + std::string(ProtoName(endpoint.proto)) + " " + endpoint.host +
                ":" + std::to_string(endpoint.port) + ", the module is the " +
                std::string(RoleName(endpoint.role)) +
                (report.peer.empty() ? "" : "; peer " + report.peer) + "\n";
    }
    const double line = LineBytesPerSecond(report);
    text += "line          " + std::to_string(report.lineBaud) + " baud: at most " +
            FixedText(line, 0) + " bytes/s each way\n";
    if (report.toNetwork.sent > 0) {
        text +=
            "              sent      received  intact    lost      corrupted reordered bytes/s   "
            "of line\n";
        text += WayRow("to network", report.toNetwork, line);
        text += WayRow("to serial", report.toSerial, line);
    }
    const LatencyReport& latency = report.latency;
    if (latency.probes > 0) {
        text += "latency       ";
        if (latency.answered > 0)
            text += "p50 " + FixedText(latency.p50Ms, 1) + " ms, p99 " +
                    FixedText(latency.p99Ms, 1) + " ms, max " + FixedText(latency.maxMs, 1) +
                    " ms; ";
        text += std::to_string(latency.answered) + " of " + std::to_string(latency.probes) +
                " probes came back; the line's limit " + FixedText(latency.limitMs, 1) + " ms\n";
    }
    text += "command mode  " + std::string(CommandModeName(report.commandMode)) + "\n";
    text += "result        " + std::string(BridgeOutcomeName(report.outcome)) + ": " +
            report.message + "\n";
    return text;
}
