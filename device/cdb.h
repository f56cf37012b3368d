#pragma once
// The 12-byte SCSI command descriptor block every bridge command uses.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qfw {

inline constexpr std::size_t kCdbLength = 12;
using Cdb = std::array<std::uint8_t, kCdbLength>;

}  // namespace qfw
