#include "emulator/device_config.h"

#include <algorithm>

namespace qfw::emu {

std::array<std::uint8_t, 16> ChipInfoRecord::Bytes() const {
  std::array<std::uint8_t, kChipInfoSize> bytes{};
  bytes[0] = magic[0];
  bytes[1] = magic[1];
  bytes[2] = static_cast<std::uint8_t>(usbVendorId >> 8);
  bytes[3] = static_cast<std::uint8_t>(usbVendorId);
  bytes[4] = static_cast<std::uint8_t>(usbProductId >> 8);
  bytes[5] = static_cast<std::uint8_t>(usbProductId);
  bytes[6] = shortVersion[0];
  bytes[7] = shortVersion[1];
  std::copy_n(tag.begin(), std::min<std::size_t>(tag.size(), 3), bytes.begin() + 8);
  bytes[11] = static_cast<std::uint8_t>(revision);
  std::copy(longVersion.begin(), longVersion.end(), bytes.begin() + 12);
  bytes[15] = byte15;
  return bytes;
}

EraseGeometry FlashConfig::Geometry() const {
  EraseGeometry geometry = GeometryOfKind(geometryKind);
  geometry.sectorSize = sectorSize.value_or(geometry.sectorSize);
  geometry.blockSize = blockSize.value_or(geometry.blockSize);
  geometry.sectorEraseUnits = sectorEraseUnits;
  return geometry;
}

}  // namespace qfw::emu
