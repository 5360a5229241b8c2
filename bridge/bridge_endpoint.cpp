#include "bridge_endpoint.h"

#include <charconv>

#include "at_text.h"

namespace {

constexpr std::size_t kMaxBlockPackLen = 1024;

bool ParseNumber(std::string_view text, uint32_t* value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseEndpointPort(std::string_view text, uint16_t* port, std::string* error) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        *error = text.empty() ? "no port" : "port \"" + std::string(text) + "\" is not a number";
        return false;
    }
    uint32_t value = 0;
    if (text.size() > 5 || !ParseNumber(text, &value) || value == 0 || value > 65535) {
        *error = "port " + std::string(text) + " is not a port (1 to 65535)";
        return false;
    }
    *port = static_cast<uint16_t>(value);
    return true;
}

bool CheckEndpointHost(std::string_view text, std::string* error) {
    if (text.empty()) {
        *error = "no address";
        return false;
    }
    std::string_view rest = text;
    for (int field = 0; field < 4; ++field) {
        std::size_t end = field < 3 ? rest.find('.') : rest.size();
        uint32_t value = 0;
        if (end == std::string_view::npos || end == 0 || end > 3 ||
            !ParseNumber(rest.substr(0, end), &value) || value > 255) {
            *error = "address \"" + std::string(text) + "\" is not a dotted IPv4 address";
            return false;
        }
        rest.remove_prefix(field < 3 ? end + 1 : end);
    }
    if (text == "0.0.0.0") {
        *error = "address 0.0.0.0 names no host";
        return false;
    }
    return true;
}

bool ParseProto(std::string_view text, NetProto* proto) {
    if (text == "tcp")
        *proto = NetProto::kTcp;
    else if (text == "udp")
        *proto = NetProto::kUdp;
    else
        return false;
    return true;
}

bool ParseRole(std::string_view text, ModuleRole* role) {
    if (text == "server")
        *role = ModuleRole::kServer;
    else if (text == "client")
        *role = ModuleRole::kClient;
    else
        return false;
    return true;
}

std::string_view ProtoName(NetProto proto) {
    return proto == NetProto::kTcp ? "tcp" : "udp";
}

std::string_view RoleName(ModuleRole role) {
    return role == ModuleRole::kServer ? "server" : "client";
}

std::optional<BridgeEndpoint> EndpointFromSettings(std::string_view settings,
                                                   const EndpointOverrides& overrides,
                                                   std::string* error) {
    auto value = [settings](std::string_view key) { return GetAtValue(settings, key); };
    BridgeEndpoint endpoint;
    if (overrides.proto) {
        endpoint.proto = *overrides.proto;
    } else if (!ParseProto(value("remotepro"), &endpoint.proto)) {
        *error = "remotepro \"" + value("remotepro") + "\" is neither tcp nor udp";
        return std::nullopt;
    }
    if (overrides.role) {
        endpoint.role = *overrides.role;
    } else if (!ParseRole(value("mode"), &endpoint.role)) {
        *error = "mode \"" + value("mode") + "\" is neither server nor client";
        return std::nullopt;
    }
    if (overrides.port) {
        endpoint.port = *overrides.port;
    } else if (std::string why; !ParseEndpointPort(value("remoteport"), &endpoint.port, &why)) {
        *error = "remoteport: " + why;
        return std::nullopt;
    }
    if (overrides.host) {
        endpoint.host = *overrides.host;
    } else if (endpoint.role == ModuleRole::kClient) {
        endpoint.host = value("remoteip");
        if (std::string why; !CheckEndpointHost(endpoint.host, &why)) {
            *error = "remoteip: " + why + " (the module connects there; give --host)";
            return std::nullopt;
        }
    } else {
        // The address in use; without a query, a static address is the one the module takes.
        endpoint.host = value("net_wanip");
        if (endpoint.host.empty() && value("dhcpc") == "0")
            endpoint.host = GetAtField(value("net_ip"), ",", 0);
        if (std::string why; !CheckEndpointHost(endpoint.host, &why)) {
            *error = "net_wanip: " + why + " (the module's address in use; give --host)";
            return std::nullopt;
        }
    }
    if (std::string why; !CheckEndpointHost(endpoint.host, &why)) {
        *error = why;
        return std::nullopt;
    }
    uint32_t number = 0;
    if (ParseNumber(value("uartpacklen"), &number) && number > 0 && number <= kMaxBlockPackLen)
        endpoint.packLen = number;
    if (ParseNumber(value("uartpacktimeout"), &number)) endpoint.packTimeoutMs = number;
    return endpoint;
}
