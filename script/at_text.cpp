#include "at_text.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kCr = '\r';

}  // namespace

AddressFieldNumber ParseAddressField(std::string_view field) {
    AddressFieldNumber number;
    std::size_t pos = 0;
    while (pos < field.size() && std::isspace(static_cast<unsigned char>(field[pos]))) ++pos;
    if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
        number.negative = field[pos] == '-';
        ++pos;
    }
    for (; pos < field.size() && std::isdigit(static_cast<unsigned char>(field[pos])); ++pos) {
        number.magnitude = number.magnitude * 10 + static_cast<uint32_t>(field[pos] - '0');
        number.overByte = number.overByte || number.magnitude > 255;
    }
    return number;
}

std::string GetAtField(std::string_view text, std::string_view delimiter, int index) {
    if (delimiter.empty()) return {};
    std::size_t pos = 0;
    for (int skipped = 0; skipped < index; ++skipped) {
        const std::size_t next = text.find(delimiter, pos);
        if (next == std::string_view::npos) return {};
        pos = next + delimiter.size();
    }
    // The next delimiter wins over an earlier CR: callers pass a value already cut at its CR.
    std::size_t end = text.find(delimiter, pos);
    if (end == std::string_view::npos) end = text.find(kCr, pos);
    if (end == std::string_view::npos) end = text.size();
    return std::string(text.substr(pos, end - pos));
}

uint32_t ParseIPv4(std::string_view text) {
    uint32_t value = 0;
    for (int field = 0; field < 4; ++field) {
        value = (value << 8) + ParseAddressField(GetAtField(text, ".", field)).Wrapped();
    }
    return value;
}

std::array<std::string, 4> AddressFields(std::string_view text) {
    std::array<std::string, 4> fields;
    if (text.empty()) return fields;
    for (int field = 0; field < 4; ++field) {
        fields[field] = std::to_string(ParseAddressField(GetAtField(text, ".", field)).Clamped());
    }
    return fields;
}

std::string FormatIPv4(uint32_t value) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!out.empty()) out += '.';
        out += std::to_string((value >> shift) & 0xFFu);
    }
    return out;
}

uint32_t DhcpHostPart(uint32_t mask) {
    // The all-ones host byte is the broadcast address; the pool stops one below it.
    uint32_t host = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        uint32_t byte = (~mask >> shift) & 0xFFu;
        if (byte == 0xFFu) byte = 0xFEu;
        host |= byte << shift;
    }
    return host;
}

int EncryptionIndexOfToken(std::string_view token) {
    for (std::size_t i = 0; i < kEncryptionTokens.size(); ++i) {
        if (token == kEncryptionTokens[i]) return static_cast<int>(i);
    }
    return -1;
}

bool IsReadOnlyKey(std::string_view key) {
    return std::find(kReadOnlyKeys.begin(), kReadOnlyKeys.end(), key) != kReadOnlyKeys.end();
}

namespace {

template <std::size_t N>
bool IsOneOf(std::string_view value, const std::array<const char*, N>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const char* entry) { return value == entry; });
}

template <std::size_t N>
std::string Listed(const std::array<const char*, N>& entries) {
    std::string list;
    for (const char* entry : entries) list.append(list.empty() ? "" : ", ").append(entry);
    return list;
}

bool IsDecimal(std::string_view text, std::size_t maxDigits) {
    return !text.empty() && text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// a.b.c.d, each 0-255 in decimal without leading zeros: what an address control shows.
bool IsDottedAddress(std::string_view text) {
    int fields = 0;
    for (std::size_t start = 0;; ++fields) {
        const std::size_t dot = std::min(text.find('.', start), text.size());
        const std::string_view field = text.substr(start, dot - start);
        if (!IsDecimal(field, 3) || (field.size() > 1 && field[0] == '0') ||
            ParseAddressField(field).overByte)
            return false;
        if (dot == text.size()) return fields == 3;
        start = dot + 1;
    }
}

// `count` comma-separated dotted addresses.
std::string AddressListFault(std::string_view value, int count, const char* names) {
    const std::string wanted = std::to_string(count) + " dotted IPv4 addresses (" + names + ")";
    int fields = 0;
    for (std::size_t start = 0;; ++fields) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        if (!IsDottedAddress(value.substr(start, comma - start)))
            return "expected " + wanted + "; field " + std::to_string(fields + 1) +
                   " is no address";
        if (comma == value.size()) break;
        start = comma + 1;
    }
    return fields + 1 == count ? "" : "expected " + wanted;
}

std::string UartFault(std::string_view value) {
    const std::string wanted = "expected baud,data bits,parity,stop bits";
    if (std::count(value.begin(), value.end(), ',') != 3) return wanted;
    if (!IsOneOf(GetAtField(value, ",", 0), kUartBaudRates))
        return "the baud rate is none of " + Listed(kUartBaudRates);
    if (!IsOneOf(GetAtField(value, ",", 1), kDataBitsEntries))
        return "the data bits are none of " + Listed(kDataBitsEntries);
    const std::string parity = GetAtField(value, ",", 2);
    if (parity.size() != 1 ||
        std::find(kParityLetters.begin(), kParityLetters.end(), parity[0]) == kParityLetters.end())
        return "the parity is none of n, o, e";
    if (!IsOneOf(GetAtField(value, ",", 3), kStopBitsEntries))
        return "the stop bits are none of " + Listed(kStopBitsEntries);
    return {};
}

}  // namespace

std::string SettingValueFault(std::string_view key, std::string_view value) {
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return "it holds a control byte";
    }
    const auto either = [&](std::string_view a, std::string_view b) -> std::string {
        if (value == a || value == b) return {};
        return "expected " + std::string(a) + " or " + std::string(b);
    };
    if (key == "netmode") {
        return value.size() == 1 && value[0] >= '0' && value[0] <= '3' ? ""
                                                                       : "expected 0, 1, 2 or 3";
    }
    if (key == "dhcpd" || key == "dhcpc") return either("0", "1");
    if (key == "remotepro") return either("tcp", "udp");
    if (key == "mode") return either("server", "client");
    if (key == "wifi_conf") {
        if (std::count(value.begin(), value.end(), ',') < 2) return "expected SSID,encryption,key";
        const std::string token = GetAtField(value, ",", 1);
        if (!token.empty() && EncryptionIndexOfToken(token) < 0)
            return "the encryption is none of " + Listed(kEncryptionTokens);
        return {};
    }
    if (key == "net_ip") return AddressListFault(value, 3, "address, mask, gateway");
    if (key == "net_dns") return AddressListFault(value, 2, "two DNS servers");
    if (key == "dhcpd_ip") return AddressListFault(value, 4, "first, last, mask, gateway");
    if (key == "dhcpd_dns") return AddressListFault(value, 2, "two DNS servers");
    if (key == "uart") return UartFault(value);
    if (key == "timeout" || key == "uartpacklen" || key == "uartpacktimeout" ||
        key == "dhcpd_time") {
        return IsDecimal(value, 10) ? "" : "expected a decimal number";
    }
    return {};
}
