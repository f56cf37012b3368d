#include "app/config_merge.h"

#include <algorithm>

#include "flash/embedded_image.h"

namespace qfw {

void MergeConfigBlock(std::span<std::uint8_t> device, std::span<const std::uint8_t> image,
                      const ConfigMergeTable& table) {
  const std::size_t length = std::min({device.size(), image.size(), table.size()});
  for (std::size_t i = 0; i < length; ++i) {
    if (TakesImageByte(table, i)) device[i] = image[i];
  }
}

std::array<std::uint8_t, 256> MergeFamily13Block(std::span<const std::uint8_t, 256> device,
                                                 std::span<const std::uint8_t, 256> image) {
  std::array<std::uint8_t, 256> block{};
  if (!HasConfigSignature(device)) {
    std::ranges::copy(image, block.begin());
    return block;
  }
  std::ranges::copy(device, block.begin());
  MergeConfigBlock(block, image, ConfigMergeTable13);
  return block;
}

std::uint8_t DecideByte47(std::uint8_t byte47, bool memoryBit, bool oldBit1) {
  auto decided = static_cast<std::uint8_t>(byte47 | kByte47Bit2);
  if (!memoryBit) return static_cast<std::uint8_t>(decided | kByte47Bit1);
  if (!oldBit1) return static_cast<std::uint8_t>(decided & ~kByte47Bit1);
  return decided;
}

std::array<std::uint8_t, 128> MergeFamily10Block(std::span<const std::uint8_t, 128> device,
                                                 std::span<const std::uint8_t, 128> image, bool memoryBit) {
  std::array<std::uint8_t, 128> block{};
  if (HasConfigSignature(device)) {
    std::ranges::copy(device, block.begin());
    MergeConfigBlock(block, image, ConfigMergeTable10);
  } else {
    std::ranges::copy(image, block.begin());
  }
  const bool oldBit1 = ((HasConfigSignature(device) ? device : image)[kByte47] & kByte47Bit1) != 0;
  block[kByte47] = DecideByte47(block[kByte47], memoryBit, oldBit1);
  return block;
}

}  // namespace qfw
