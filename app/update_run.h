#pragma once
// The firmware update of one device: the merge of its configuration block
// with the embedded image's, the programming by family, and the reset that
// makes a family-13 controller start the new firmware.

#include <cstdint>
#include <string>
#include <vector>

#include "device/chip_family.h"
#include "device/context.h"
#include "flash/transfer_settings.h"

namespace qfw {

enum class UpdateProcedure {
  None,             // nothing was programmed
  Family13Block,    // ProgramFamily13Image
  Family10Block,    // ProgramFamily10Image
  Family10Legacy,   // ProgramFamily10ImageLegacy
};

enum class UpdateFailure {
  None,
  NoDevice,               // no device was selected; nothing was sent
  UnsupportedFamily,      // neither 10 nor 13; nothing was sent
  DeviceChanged,          // the device at the path is not the one identified; nothing was written
  NoEmbeddedImage,        // this build carries no image for the device; nothing was written
  ConfigBlockUnreadable,  // the device's ConfigBlock could not be read; nothing was written
  ProgrammingFailed,      // the procedure did not write and verify the image
};

struct UpdateOutcome {
  std::uint8_t family = 0;
  bool result = false;
  UpdateProcedure programmed = UpdateProcedure::None;
  UpdateFailure failure = UpdateFailure::None;
  // The merged ConfigBlock handed to the procedure; empty when none was.
  std::vector<std::uint8_t> configBlock;
  bool resetSent = false;  // family 13 after success: CmdDeviceReset
};

// Updates the device at path, chosen by the family and revision of chipId.
// Progress and status go to context.host.progress.
UpdateOutcome RunUpdate(const Context& context, const TransferSettings& settings, const std::string& path,
                        ChipId chipId);

}  // namespace qfw
