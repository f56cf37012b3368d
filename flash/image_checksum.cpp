#include "flash/image_checksum.h"

#include <algorithm>

#include "device/bytes.h"

namespace qfw {
namespace {

constexpr std::uint16_t FeedNibble(std::uint16_t crc, std::uint32_t nibble) {
  const std::uint32_t t = ((crc >> 12) ^ nibble) & 0xF;
  return static_cast<std::uint16_t>((crc << 4) ^ (t << 12) ^ (t << 5) ^ t);
}

}  // namespace

std::uint16_t ImageCrc16(std::span<const std::uint8_t> data, std::uint16_t initial) {
  std::uint16_t crc = initial;
  for (std::size_t offset = 0; offset + 4 <= data.size(); offset += 4) {
    const std::uint32_t word = GetLe32(data.subspan(offset).first<4>());
    for (int shift = 28; shift >= 0; shift -= 4) {
      crc = FeedNibble(crc, (word >> shift) & 0xF);
    }
  }
  return crc;
}

bool IsBlankArea(std::span<const std::uint8_t> data) {
  return std::ranges::all_of(data, [](std::uint8_t b) { return b == 0x00 || b == 0xFF; });
}

}  // namespace qfw
