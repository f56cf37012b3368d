#pragma once
// The family-13 flash contents an update is expected to leave behind.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "flash/image_checksum.h"
#include "flash/image_layout.h"

namespace qfw::test {

// Stores the checksum the code area asks for.
inline void StoreChecksum13(std::vector<std::uint8_t>& image) {
  const std::uint16_t crc = ImageCrc16(std::span(image).first(kChecksumCovered13), 0);
  image[kChecksumOffset13] = static_cast<std::uint8_t>(crc >> 8);
  image[kChecksumOffset13 + 1] = static_cast<std::uint8_t>(crc);
}

// The whole flash an update writes: the code area of the given image, the
// given configuration block, zeros after it, the checksum of the code area.
inline std::vector<std::uint8_t> ExpectedFlash13(std::span<const std::uint8_t> image,
                                                 std::span<const std::uint8_t> block) {
  std::vector<std::uint8_t> flash(kFlashImageSize, 0x00);
  std::copy_n(image.begin(), kCodeAreaSize13, flash.begin());
  std::copy(block.begin(), block.end(), flash.begin() + kConfigOffset13);
  StoreChecksum13(flash);
  return flash;
}

}  // namespace qfw::test
