#pragma once
// The details of one device: chip, flash, firmware version and status, and
// which options of the developer panel apply to its family. Sends only
// commands that read.

#include <optional>
#include <string>

#include "device/chip_family.h"
#include "device/context.h"

namespace qfw {

// Which group of the detail fields and panel options a family gets.
enum class DetailsPanel {
  SerialFlash,   // families 1, 3, 4, 6, 7: the flash type is shown
  A1Chip,        // families 2, 18: the A1 Chip option
  NotSupported,  // every other family, the updated families 10 and 13 included
};

enum class FileCheck { NotChecked, Fits, DoesNotFit };

struct DeviceDetails {
  ChipId chipId = 0;
  DetailsPanel panel = DetailsPanel::NotSupported;
  bool showNvram = false;           // family 6: the 4K NVRAM option
  std::optional<int> amicModel;     // detected for the serial-flash families only
  std::string chipName;
  std::string flashText;            // "AMIC", the vendor by flash kind, or empty
  std::string versionText;          // "Ver 1.02.03", "Ver 2.05", the family's default, or empty
  std::string statusText;           // empty, "The chip not support Firmware Update!" or "Not Quorell Chip!!"
  FileCheck fileCheck = FileCheck::NotChecked;
};

DetailsPanel PanelOfFamily(std::uint8_t family);

// Identifies the device at path and reads its details. A firmware file,
// when given, is checked against the chip (a file that cannot be opened is
// reported through the host's message box and does not fit).
DeviceDetails ReadDeviceDetails(const Context& context, const std::string& path,
                                const std::optional<std::string>& firmwareFile);

}  // namespace qfw
