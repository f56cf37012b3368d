#pragma once
// What a firmware file for each chip family carries in its header record:
// the chip tag by family and the two whole signatures of family 7.

#include <array>
#include <cstdint>
#include <string_view>

#include "device/chip_family.h"

namespace qfw {

// The marker that opens a firmware header record.
inline constexpr std::array<std::uint8_t, 4> kFirmwareMarker{0x55, 0xAA, 0xAA, 0x55};

// Chip tags by family 0 to 18. Families 8 and 9 share "624".
inline constexpr std::array<std::string_view, kFamilyCount> ChipTagTable{
    "",    "611", "612", "613", "614", "615", "621", "622", "624", "624",
    "641", "631", "632", "642", "613", "616", "614", "611", "612",
};

// Family 7: marker and tag of revision 1 and of revision 2.
inline constexpr std::array<std::array<std::uint8_t, 8>, 2> Family7Signatures{{
    {0x55, 0xAA, 0xAA, 0x55, 'q', '6', '2', '2'},
    {0x55, 0xAA, 0xAA, 0x55, '6', '2', '2', '1'},
}};

}  // namespace qfw
