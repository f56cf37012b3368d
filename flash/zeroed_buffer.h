#pragma once
// Zero-filled working buffers that a flash operation owns for one call.

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

namespace qfw {

// A zero-filled buffer of size bytes, or nothing when the memory cannot be
// had; the operation then sends nothing and fails.
inline std::optional<std::vector<std::uint8_t>> AllocateZeroed(std::size_t size) {
  try {
    return std::vector<std::uint8_t>(size, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace qfw
