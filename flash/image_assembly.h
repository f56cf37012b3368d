#pragma once
// Builds the 64 KiB flash images of families 13 and 10 and writes them.

#include <cstdint>
#include <span>
#include <string>

#include "device/chip_family.h"
#include "device/context.h"
#include "flash/image_checksum.h"

namespace qfw {

bool ProgramFamily13Image(const Context& context, const std::string& path, bool fromDevice, bool fromEmbedded,
                          std::span<const std::uint8_t, 256> configBlock);

bool ProgramFamily10Image(const Context& context, const std::string& path, bool fromDevice, bool fromEmbedded,
                          std::span<const std::uint8_t, 128> configBlock);

// True when the controller's running firmware accepts the block commands.
bool ProbeBlockCommandSupport(Transport& transport, const std::string& path, std::uint8_t family);

}  // namespace qfw
