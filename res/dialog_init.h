// Dialog initialisation data of the main dialog: records applied when it is created, before
// its own initialisation runs. Each record is control ID (16 bit), message (16 bit), data
// length (32 bit), data; a 16-bit zero ends the block. Little-endian, as the resource holds it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr uint16_t kComboAddString = 0x0403;

extern const std::span<const uint8_t> kMainDialogInitData;

struct DialogInitRecord {
    int controlId;
    uint16_t message;
    std::string data;  // bytes as stored, including a string's terminating NUL
};

// Decodes a block; stops at the terminator or at a record that does not fit.
std::vector<DialogInitRecord> ParseDialogInit(std::span<const uint8_t> block);
