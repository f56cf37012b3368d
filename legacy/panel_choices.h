#pragma once
// What the legacy procedures read of the main window when they start: the
// two size settings, the developer panel's choices and the selected
// device's AMIC model. A copy: what the user changes while a procedure
// runs does not reach it. ("Include 4K NVRAM" is not among them: the
// family-6 update keeps the NVRAM area whatever that box says.)

#include <string>

#include "flash/transfer_settings.h"

namespace qfw {

struct PanelChoices {
  TransferSettings settings;    // FirmwareSizeSetting, TransferPageSize
  bool eraseOnly = false;       // EraseOnlyFlag
  bool rdVersion = false;       // "RD Version"
  bool backupOnly = false;      // "Backup Old Firmware Only"
  bool a1Chip = false;          // "A1 Chip": the ROM is written without the internal-ROM switch
  std::string backupFileName;   // "Backup FileName"; empty: the default name
  int amicModel = 0;            // AmicModel: -1 no AMIC part, 1/3/4/5 the model, 0 never detected
  int romType = 0;              // RomFlashType: the parallel-ROM type list's selected index
};

}  // namespace qfw
