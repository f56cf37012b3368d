#include "legacy/panel_procedures.h"

#include <algorithm>

#include "legacy/family6_nvram_update.h"
#include "legacy/rom_procedures.h"
#include "legacy/serial_flash_procedures.h"

namespace qfw {
namespace {

struct FamilyProcedure {
  std::uint8_t family;
  PanelProcedure procedure;
};

constexpr std::array<FamilyProcedure, 7> kFamilyProcedures{{
    {1, PanelProcedure::SerialFlash},
    {3, PanelProcedure::SerialFlash},
    {4, PanelProcedure::SerialFlash},
    {7, PanelProcedure::SerialFlash},
    {6, PanelProcedure::Family6Nvram},
    {2, PanelProcedure::ParallelRom},
    {18, PanelProcedure::ParallelRom},
}};

}  // namespace

PanelProcedure ProcedureOfFamily(std::uint8_t family) {
  const auto row = std::ranges::find(kFamilyProcedures, family, &FamilyProcedure::family);
  return row == kFamilyProcedures.end() ? PanelProcedure::None : row->procedure;
}

void RunPanelProcedure(const Context& context, const PanelChoices& choices, const std::string& path,
                       std::uint8_t family) {
  switch (ProcedureOfFamily(family)) {
    case PanelProcedure::SerialFlash:
      (void)LegacySerialFlashUpdate(context, choices, path);
      break;
    case PanelProcedure::Family6Nvram:
      (void)Family6NvramUpdate(context, path);
      break;
    case PanelProcedure::ParallelRom:
      RomUpdate(context, choices, path);
      break;
    case PanelProcedure::None:
      break;
  }
}

}  // namespace qfw
