#pragma once
// What an update must leave in a device's flash, worked out here from the
// layouts and merge rules on their own (not with the program's merge code),
// and the device contents the sweep starts from.

#include <cstdint>
#include <span>
#include <vector>

namespace qfw::test {

using ByteVector = std::vector<std::uint8_t>;

inline constexpr std::size_t kFlashSize = 0x10000;

// Deterministic filler without a single 0xFF byte, so that a skipped erase
// shows in a blank check or a verify.
ByteVector Filler(std::size_t size, std::uint8_t seed);

// The family-10 image the sweep embeds (type "QRS641", name "FW1802"): a
// whole 64 KiB, a signed ConfigBlock whose byte 47 has bit 1 set, then code.
ByteVector Family10Image();

// Older firmware with a signed family-13 ConfigBlock whose bytes all differ
// from the image's block.
ByteVector OldFlash13(std::span<const std::uint8_t> embedded13);
// Older firmware with a signed family-10 ConfigBlock, bit 1 of byte 47 clear.
ByteVector OldFlash10();

// The family-13 image ends with its ConfigBlock at 0xC100; the update
// writes zeros after it, which are no part of the image.
inline constexpr std::size_t kImageExtent13 = 0xC100;

// The family-13 image in the flash after an update of a device that held
// before: the embedded code area (with its checksum) and the merged
// ConfigBlock, kImageExtent13 bytes.
ByteVector Expected13(std::span<const std::uint8_t> before, std::span<const std::uint8_t> embedded13);

// The family-10 flash after an update: the merged ConfigBlock with byte 47
// decided by the memory bit (clear when the device's memory could not be
// read), then the embedded image.
ByteVector Expected10(std::span<const std::uint8_t> before, std::span<const std::uint8_t> image10, bool memoryBit);

// The first address where two memories differ, for reports; -1 when none.
long FirstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace qfw::test
