#pragma once
// Updates family-10 controllers whose firmware lacks the block commands,
// with the older erase, program and read commands.

#include <cstdint>
#include <span>
#include <string>

#include "device/context.h"
#include "flash/transfer_settings.h"

namespace qfw {

bool ProgramFamily10ImageLegacy(const Context& context, const TransferSettings& settings, const std::string& path,
                                bool fromDevice, bool fromEmbedded, std::span<const std::uint8_t, 128> configBlock);

// Erases, proves blank, programs page by page and verifies; advances the
// progress by 10 at five points.
bool LegacyEraseProgramVerify(const Context& context, const TransferSettings& settings, const std::string& path,
                              std::span<const std::uint8_t> image);

// Reads destination.size() bytes in pages of settings.transferPageSize,
// showing "ReadFlash..." and one "." per page.
bool ReadFlashPaged(const Context& context, const TransferSettings& settings, const std::string& path,
                    std::uint32_t address, std::span<std::uint8_t> destination);

}  // namespace qfw
