// The AT text routines on arbitrary text: value lookup, field split, IPv4 parse and format.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "at_text.h"

namespace {

// The first byte picks the key, delimiter and field index, so one input drives every routine.
constexpr std::string_view kKeys[] = {"wifi_conf", "net_ip", "uart", "", "a", "=", "+", "\r"};
constexpr std::string_view kDelimiters[] = {",", "", ".", "\r\n", ",,"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t selector = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view key = kKeys[selector % std::size(kKeys)];

    const std::string value = GetAtValue(text, key);
    if (value.find('\r') != std::string::npos) std::abort();  // a value ends at its CR
    if (!value.empty() && text.find(value) == std::string_view::npos) std::abort();
    (void)IsAtValue(text, key, value);

    const std::string_view delimiter = kDelimiters[(selector >> 3) % std::size(kDelimiters)];
    const int index = static_cast<int>(selector >> 5) - 1;  // -1 … 6
    const std::string field = GetAtField(text, delimiter, index);
    if (field.size() > text.size()) std::abort();

    // Whatever parses formats back to a dotted quad that parses to the same number.
    const uint32_t address = ParseIPv4(text);
    if (ParseIPv4(FormatIPv4(address)) != address) std::abort();
    (void)DhcpHostPart(address);
    (void)EncryptionIndexOfToken(text);
    return 0;
}
