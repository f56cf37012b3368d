#pragma once
// How an update keeps the device's own configuration: the merge of the
// device's ConfigBlock with the embedded image's, by family, and the two
// bits of family-10 byte 47 that the update decides.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qfw {

inline constexpr std::size_t kMergeTableSize = 128;
inline constexpr std::uint32_t kKeepDeviceByte = 4095;

// One entry per block position 0 to 127: below 256 the byte comes from the
// image's block, kKeepDeviceByte keeps the device's byte.
using ConfigMergeTable = std::array<std::uint32_t, kMergeTableSize>;

namespace detail {
template <std::size_t N>
constexpr ConfigMergeTable MakeMergeTable(const std::array<std::uint8_t, N>& fromImage) {
  ConfigMergeTable table{};
  table.fill(kKeepDeviceByte);
  for (const std::uint8_t position : fromImage) table[position] = position;
  return table;
}
}  // namespace detail

inline constexpr ConfigMergeTable ConfigMergeTable10 = detail::MakeMergeTable(std::array<std::uint8_t, 23>{
    4, 5, 9, 11, 13, 46, 47, 49, 81, 82, 83, 85, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127});

inline constexpr ConfigMergeTable ConfigMergeTable13 = detail::MakeMergeTable(std::array<std::uint8_t, 20>{
    4, 5, 9, 11, 47, 81, 82, 83, 85, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127});

constexpr bool TakesImageByte(const ConfigMergeTable& table, std::size_t position) {
  return position < table.size() && table[position] < 256;
}

// Family-10 byte 47.
inline constexpr std::size_t kByte47 = 47;
inline constexpr std::uint8_t kByte47Bit1 = 0x02;
inline constexpr std::uint8_t kByte47Bit2 = 0x04;

// Copies the positions the table marks from the image's block into the
// device's block; every other byte stays.
void MergeConfigBlock(std::span<std::uint8_t> device, std::span<const std::uint8_t> image,
                      const ConfigMergeTable& table);

// The family-13 block to program: the device's block merged by
// ConfigMergeTable13 when it carries the signature, else the image's block.
// Positions 128 to 255 of a signed device block stay the device's.
std::array<std::uint8_t, 256> MergeFamily13Block(std::span<const std::uint8_t, 256> device,
                                                 std::span<const std::uint8_t, 256> image);

// Byte 47 with bit 2 set and bit 1 decided: set when memoryBit is clear,
// cleared when memoryBit is set and oldBit1 is clear, else as it was.
std::uint8_t DecideByte47(std::uint8_t byte47, bool memoryBit, bool oldBit1);

// The family-10 block to program: merged by ConfigMergeTable10 when the
// device's block carries the signature, else the image's block; then byte
// 47 decided with the device's former bit 1 (or the image's, unsigned).
std::array<std::uint8_t, 128> MergeFamily10Block(std::span<const std::uint8_t, 128> device,
                                                 std::span<const std::uint8_t, 128> image, bool memoryBit);

}  // namespace qfw
