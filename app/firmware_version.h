#pragma once
// The firmware version text of a controller, from its chip information.

#include <cstdint>
#include <span>
#include <string>

#include "device/transport.h"

namespace qfw {

// The text shown when the chip information cannot be read, by family.
std::string DefaultVersionText(std::uint8_t family);

// "Ver 1.02.03" from the long form when 13 or more bytes came, otherwise
// "Ver 2.05" from the short form. Empty when the record lacks its magic.
std::string VersionTextFromChipInfo(std::span<const std::uint8_t, 16> info, std::uint32_t transferred);

}  // namespace qfw
