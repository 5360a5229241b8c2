#include "at_text.h"

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
