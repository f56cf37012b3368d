#pragma once
// What the developer panel offers: the sizes behind its two size lists, and
// the procedure its Run button starts for each chip family.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "device/context.h"
#include "legacy/panel_choices.h"

namespace qfw {

// FirmwareSizeSetting by the item of the firmware-size list.
inline constexpr std::array<std::int32_t, 6> kFirmwareSizeChoices{32768, 65536, 131072, 262144, 524288, 1048576};
// TransferPageSize by the item of the transfer page-size list.
inline constexpr std::array<std::int32_t, 5> kPageSizeChoices{32768, 16384, 8192, 4096, 2048};

// The size of a list item; nothing for an item outside the list (-1: the
// list's edit field holds text that names no item).
template <std::size_t N>
constexpr std::optional<std::int32_t> SizeOfItem(const std::array<std::int32_t, N>& sizes, int item) {
  if (item < 0 || static_cast<std::size_t>(item) >= N) return std::nullopt;
  return sizes[static_cast<std::size_t>(item)];
}

enum class PanelProcedure {
  None,            // the family has no procedure of the panel
  SerialFlash,     // families 1, 3, 4, 7
  Family6Nvram,    // family 6
  ParallelRom,     // families 2, 18
};

PanelProcedure ProcedureOfFamily(std::uint8_t family);

// Runs the procedure of the family on the device at path. The procedures'
// own results are in their status texts; nothing is returned.
void RunPanelProcedure(const Context& context, const PanelChoices& choices, const std::string& path,
                       std::uint8_t family);

}  // namespace qfw
