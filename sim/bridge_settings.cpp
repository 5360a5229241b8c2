#include "bridge_settings.h"

#include <charconv>

namespace {

constexpr std::size_t kMaxPackLen = 4096;

template <typename Number>
bool ParseDecimal(std::string_view text, Number* value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

std::string_view Setting(const std::map<std::string, std::string>& settings, const char* key) {
    auto found = settings.find(key);
    return found == settings.end() ? std::string_view() : std::string_view(found->second);
}

}  // namespace

bool ParsePort(std::string_view text, uint16_t* port) {
    uint32_t value = 0;
    if (!ParseDecimal(text, &value) || value == 0 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

bool IsDottedIPv4(std::string_view text) {
    for (int field = 0; field < 4; ++field) {
        std::size_t end = field < 3 ? text.find('.') : text.size();
        if (end == std::string_view::npos || end == 0 || end > 3) return false;
        unsigned value = 0;
        if (!ParseDecimal(text.substr(0, end), &value) || value > 255) return false;
        text.remove_prefix(field < 3 ? end + 1 : end);
    }
    return text.empty();
}

bool ReadBridgeSettings(const std::map<std::string, std::string>& settings, BridgeSettings* out) {
    BridgeSettings read;
    read.udp = Setting(settings, "remotepro") == "udp";
    read.server = Setting(settings, "mode") != "client";
    read.remoteIp = std::string(Setting(settings, "remoteip"));
    if (!ParsePort(Setting(settings, "remoteport"), &read.remotePort)) return false;
    if (!ParsePort(Setting(settings, "CLport"), &read.localPort)) read.localPort = 0;
    std::size_t packLen = 0;
    if (ParseDecimal(Setting(settings, "uartpacklen"), &packLen) && packLen > 0 &&
        packLen <= kMaxPackLen)
        read.packLen = packLen;
    uint32_t packTimeout = 0;
    if (ParseDecimal(Setting(settings, "uartpacktimeout"), &packTimeout))
        read.packTimeoutMs = packTimeout;
    *out = std::move(read);
    return true;
}
