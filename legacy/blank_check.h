#pragma once
// Whether memory read back after an erase is blank.

#include <algorithm>
#include <cstdint>
#include <span>

namespace qfw {

inline constexpr std::uint8_t kErasedByte = 0xFF;

inline bool IsErased(std::span<const std::uint8_t> bytes) {
  return std::ranges::all_of(bytes, [](std::uint8_t b) { return b == kErasedByte; });
}

}  // namespace qfw
