#pragma once
// The whole 64 KiB flash of a QRS641 or QRS642 controller, read and written
// the way its update does: with the block commands, or for a family-10
// controller whose firmware lacks them, with the older page commands.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/chip_family.h"
#include "device/context.h"
#include "flash/transfer_settings.h"

namespace qfw::cli {

// Family 13 always; family 10 when its firmware takes them or its revision
// is the one that takes them unprobed.
bool UsesBlockCommands(Transport& transport, const std::string& path, ChipId chipId);

// Nothing when a read failed.
std::optional<std::vector<std::uint8_t>> ReadWholeFlash(const Context& context, const TransferSettings& settings,
                                                        const std::string& path, ChipId chipId);

// Writes image from flash address 0 and proves it by reading it back.
bool WriteWholeFlash(const Context& context, const TransferSettings& settings, const std::string& path, ChipId chipId,
                     std::span<const std::uint8_t> image);

}  // namespace qfw::cli
