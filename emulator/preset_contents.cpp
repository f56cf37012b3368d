#include "emulator/preset_contents.h"

#include <algorithm>

namespace qfw::emu {

std::vector<std::uint8_t> OlderFirmware(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>((i * 7 + (i >> 8)) % 255);  // 0x00..0xFE
  }
  return bytes;
}

std::vector<std::uint8_t> NvramArea() {
  std::vector<std::uint8_t> bytes(kNvramSize);
  for (std::size_t i = 0; i < kNvramSize; ++i) {
    bytes[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 11 + (i >> 4)));
  }
  return bytes;
}

std::vector<std::uint8_t> NvramAndFirmware(std::size_t size) {
  std::vector<std::uint8_t> bytes = OlderFirmware(size);
  const std::vector<std::uint8_t> nvram = NvramArea();
  std::copy_n(nvram.begin(), std::min(size, nvram.size()), bytes.begin());
  return bytes;
}

}  // namespace qfw::emu
