// AT script text: the key vocabulary and the small routines that read values and fields and
// build addresses; the line format itself, with GetAtValue, is at_line.h's. All results are
// returned by value and never truncated.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "at_line.h"

// Field `index` (from 0) of a delimiter-separated text; the last field ends at a CR or at the
// end of the text.
std::string GetAtField(std::string_view text, std::string_view delimiter, int index);
// An address field's leading decimal number as atoi reads it: optional blanks and a sign, then
// digits; 0 when there are none. The one reading of a field behind ParseIPv4, AddressFields and
// the address control's fields.
struct AddressFieldNumber {
    bool negative = false;
    uint32_t magnitude = 0;  // modulo 2^32
    bool overByte = false;   // the magnitude is above 255
    // As the module's parser adds it into the address: wrapping, never overflowing.
    uint32_t Wrapped() const { return negative ? 0u - magnitude : magnitude; }
    // As an address control shows it: 0..255.
    int Clamped() const { return negative ? 0 : overByte ? 255 : static_cast<int>(magnitude); }
};
AddressFieldNumber ParseAddressField(std::string_view field);
uint32_t ParseIPv4(std::string_view text);
// The four fields of a dotted address as an IP address control shows them: each field's
// leading decimal number (after blanks and a sign) clamped to 0..255, a missing field "0";
// four "" (a blank control) for an empty text.
std::array<std::string, 4> AddressFields(std::string_view text);
std::string FormatIPv4(uint32_t value);
// Host part of a mask for the DHCP pool's end: inverted mask, 255 bytes become 254.
uint32_t DhcpHostPart(uint32_t mask);

// Encryption list labels and the wifi_conf tokens, by list index.
inline constexpr std::array<const char*, 10> kEncryptionLabels = {
    "NONE",      "WEP_OPEN", "WEP_SHARE",     "WPA_TKIP",     "WPA_AES",
    "WPA2_TKIP", "WPA2_AES", "WPA/WPA2_TKIP", "WPA/WPA2_AES", "AUTO"};
inline constexpr std::array<const char*, 10> kEncryptionTokens = {
    "none",      "wep_open", "wep",          "wpa_tkip",    "wpa_aes",
    "wpa2_tkip", "wpa2_aes", "wpawpa2_tkip", "wpawpa2_aes", "auto"};
// Index of a wifi_conf token, -1 when unknown.
int EncryptionIndexOfToken(std::string_view token);

// Parity list labels and their uart letters, by list index.
inline constexpr std::array<const char*, 3> kParityLabels = {"NONE", "ODD", "EVEN"};
inline constexpr std::array<char, 3> kParityLetters = {'n', 'o', 'e'};

// The form's other list contents, in list order.
inline constexpr std::array<const char*, 9> kUartBaudRates = {
    "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400"};
inline constexpr std::array<const char*, 4> kDataBitsEntries = {"5", "6", "7", "8"};
inline constexpr std::array<const char*, 2> kStopBitsEntries = {"1", "2"};

// The keys the module only reports (address in use, version, MAC ...): asked, never set.
inline constexpr std::array<std::string_view, 9> kReadOnlyKeys = {
    "net_wanip", "ver",     "escap",         "tcp_auto", "Channel",
    "S2N_Stat",  "Get_MAC", "wifi_ConState", "COM2"};
bool IsReadOnlyKey(std::string_view key);

// Why `value` is no value the module can be given for setting `key`, in words for a message;
// "" when it is one. Each setting the form holds must read as the form would write it (a work
// mode 0-3, a protocol tcp or udp, a rate of the baud list, dotted IPv4 addresses ...); the
// numbers the composer writes as fixed values must be decimal; no value may hold a control
// byte other than TAB, which the module's line editing would act on.
std::string SettingValueFault(std::string_view key, std::string_view value);
