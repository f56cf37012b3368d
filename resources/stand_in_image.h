#pragma once
// The family-13 stand-in image that the build embeds in place of controller
// firmware. It has the layout the program relies on (code area, marker, tag,
// checksum, configuration block) and deterministic filler as its code.

#include <cstdint>
#include <vector>

namespace qfw {

// The checksum the stand-in image is made to carry at 0xBFFE..0xBFFF.
inline constexpr std::uint16_t kStandInChecksum = 0x768B;

// Builds the 49,408-byte image. Throws std::runtime_error when the checksum
// cannot be forced (it always can: the correction word spans 16 free bits).
std::vector<std::uint8_t> BuildStandInImage13();

}  // namespace qfw
