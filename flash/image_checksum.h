#pragma once
// The image checksum and the blank test.

#include <cstdint>
#include <span>

namespace qfw {

// CRC-16 (polynomial 0x1021, no reflection, no final XOR) over whole groups
// of four bytes, each group fed as a little-endian word, most significant
// nibble first. Trailing bytes of an incomplete group are not covered.
std::uint16_t ImageCrc16(std::span<const std::uint8_t> data, std::uint16_t initial);

// True when every byte is 0x00 or 0xFF (also for an empty span).
bool IsBlankArea(std::span<const std::uint8_t> data);

}  // namespace qfw
