#pragma once
// The AMIC serial flash parts that the older bridges' erase plans tell
// apart. The host derives the model from the fourth byte of the 0x9F answer
// 7F 37 20 xx: 0x12 model 1, 0x11 model 3, 0x20 model 4, 0x10 model 5.
//
// Models 1, 3 and 5 are bottom-boot parts: their sector erase clears the
// boot sectors 4K, 4K, 8K and 16K, then 32 KiB units. Model 4 erases
// uniform 32 KiB units.

#include <array>

#include "emulator/device_config.h"

namespace qfw::emu {

inline constexpr std::array<int, 4> kAmicModels{1, 3, 4, 5};

bool IsAmicModel(int model);

// Makes flash the AMIC part of the model: its 0x9F answer (the only id it
// gives), the AMIC erase units (kind 7) and the sector-erase map of the
// model. The size and the reported kind stay. Throws std::invalid_argument
// for a model not in kAmicModels.
void UseAmicFlash(FlashConfig& flash, int model);

}  // namespace qfw::emu
