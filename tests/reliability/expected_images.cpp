#include "tests/reliability/expected_images.h"

#include <algorithm>
#include <array>

namespace qfw::test {
namespace {

constexpr std::size_t kCodeArea13 = 0xC000;
constexpr std::size_t kBlock13 = 256;
constexpr std::size_t kBlock10 = 128;
constexpr std::size_t kMergedPositions = 128;  // the merge rules cover block positions 0 to 127
constexpr std::size_t kByte47 = 47;

// Block positions an update takes from the image's block; all others keep
// the device's byte.
constexpr std::array<std::size_t, 9> kFromImage13Head{4, 5, 9, 11, 47, 81, 82, 83, 85};
constexpr std::array<std::size_t, 12> kFromImage10Head{4, 5, 9, 11, 13, 46, 47, 49, 81, 82, 83, 85};
constexpr std::size_t kFromImageTailStart = 117;  // 117 to 127, both families

bool TakesImageByte(std::size_t position, std::span<const std::size_t> head) {
  return std::ranges::find(head, position) != head.end() ||
         (position >= kFromImageTailStart && position < kMergedPositions);
}

bool Signed(std::span<const std::uint8_t> block) {
  return block.size() >= 2 && block[block.size() - 2] == 'Q' && block[block.size() - 1] == 'R';
}

// The device's block with the image's bytes where the rules say so, or the
// image's block when the device's is not signed.
ByteVector MergedBlock(std::span<const std::uint8_t> device, std::span<const std::uint8_t> image,
                       std::span<const std::size_t> head) {
  if (!Signed(device)) return ByteVector(image.begin(), image.end());
  ByteVector block(device.begin(), device.end());
  for (std::size_t i = 0; i < kMergedPositions; ++i) {
    if (TakesImageByte(i, head)) block[i] = image[i];
  }
  return block;
}

}  // namespace

ByteVector Filler(std::size_t size, std::uint8_t seed) {
  ByteVector bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>((seed + i * 29 + (i >> 9)) % 0xFF);
  }
  return bytes;
}

ByteVector Family10Image() {
  ByteVector image = Filler(kFlashSize, 0x37);
  image[kByte47] = 0x53;  // bit 1 set, bit 2 clear
  image[kBlock10 - 2] = 'Q';
  image[kBlock10 - 1] = 'R';
  return image;
}

ByteVector OldFlash13(std::span<const std::uint8_t> embedded13) {
  ByteVector flash = Filler(kFlashSize, 0x05);
  for (std::size_t i = 0; i < kBlock13 - 2; ++i) {
    flash[kCodeArea13 + i] = static_cast<std::uint8_t>(embedded13[kCodeArea13 + i] ^ 0xA5);
  }
  flash[kCodeArea13 + kBlock13 - 2] = 'Q';
  flash[kCodeArea13 + kBlock13 - 1] = 'R';
  return flash;
}

ByteVector OldFlash10() {
  ByteVector flash = Filler(kFlashSize, 0x71);
  flash[kByte47] = 0x11;  // bit 1 clear
  flash[kBlock10 - 2] = 'Q';
  flash[kBlock10 - 1] = 'R';
  return flash;
}

ByteVector Expected13(std::span<const std::uint8_t> before, std::span<const std::uint8_t> embedded13) {
  ByteVector flash(kImageExtent13, 0x00);
  std::copy_n(embedded13.begin(), kCodeArea13, flash.begin());
  const ByteVector block = MergedBlock(before.subspan(kCodeArea13, kBlock13),
                                       embedded13.subspan(kCodeArea13, kBlock13), kFromImage13Head);
  std::ranges::copy(block, flash.begin() + kCodeArea13);
  return flash;
}

ByteVector Expected10(std::span<const std::uint8_t> before, std::span<const std::uint8_t> image10, bool memoryBit) {
  const auto device = before.first(kBlock10);
  const auto image = image10.first(kBlock10);
  ByteVector block = MergedBlock(device, image, kFromImage10Head);
  const bool oldBit1 = ((Signed(device) ? device[kByte47] : image[kByte47]) & 0x02) != 0;
  block[kByte47] |= 0x04;
  if (!memoryBit) {
    block[kByte47] |= 0x02;
  } else if (!oldBit1) {
    block[kByte47] &= static_cast<std::uint8_t>(~0x02);
  }
  ByteVector flash(image10.begin(), image10.end());
  flash.resize(kFlashSize, 0x00);
  std::ranges::copy(block, flash.begin());
  return flash;
}

long FirstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const auto [ia, ib] = std::ranges::mismatch(a, b);
  if (ia == a.end() && ib == b.end()) return -1;
  return static_cast<long>(ia - a.begin());
}

}  // namespace qfw::test
