#include "dialog_init.h"

#include <array>

#include "control_ids.h"

namespace {

// 1006: "rrrrrrr" and its NUL; 1016: "xx" and its NUL; then the terminator. 29 bytes.
constexpr std::array<uint8_t, 29> kBlock = {
    0xEE, 0x03, 0x03, 0x04, 0x08, 0x00, 0x00, 0x00, 'r',  'r', 'r', 'r',  'r',  'r',  'r',
    0x00, 0xF8, 0x03, 0x03, 0x04, 0x03, 0x00, 0x00, 0x00, 'x', 'x', 0x00, 0x00, 0x00,
};
static_assert(ctl::kHiddenList1 == 0x03EE && ctl::kHiddenList2 == 0x03F8);

uint32_t ReadLittleEndian(std::span<const uint8_t> bytes) {
    uint32_t value = 0;
    for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
    return value;
}

}  // namespace

const std::span<const uint8_t> kMainDialogInitData = kBlock;

std::vector<DialogInitRecord> ParseDialogInit(std::span<const uint8_t> block) {
    constexpr size_t kHeaderSize = 8;
    std::vector<DialogInitRecord> records;
    size_t pos = 0;
    while (pos + 2 <= block.size()) {
        const auto id = static_cast<int>(ReadLittleEndian(block.subspan(pos, 2)));
        if (id == 0 || pos + kHeaderSize > block.size()) break;
        const auto message = static_cast<uint16_t>(ReadLittleEndian(block.subspan(pos + 2, 2)));
        const uint32_t length = ReadLittleEndian(block.subspan(pos + 4, 4));
        if (length > block.size() - pos - kHeaderSize) break;
        const auto* data = reinterpret_cast<const char*>(block.data() + pos + kHeaderSize);
        records.push_back({id, message, std::string(data, length)});
        pos += kHeaderSize + length;
    }
    return records;
}
