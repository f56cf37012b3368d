#pragma once
// What the main window knows between its handlers: the listed devices, the
// identification of the selected one, the procedure flags and the transfer
// settings. Plain data; the workflow owns one for the window's whole life.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/chip_family.h"
#include "flash/transfer_settings.h"

namespace qfw {

inline constexpr std::size_t kDeviceTableSize = 16;

struct DeviceRecord {
  std::string Path;          // lower-cased device path, used by every command
  std::string DriveLetters;  // nothing fills it; shown in the Drives field
  bool LeaveModeOnExit = false;  // CmdModeLeave goes to Path when the window ends
};

struct WindowState {
  // Entry k belongs to item k of the device list. Entries after the listed
  // ones hold the devices that received CmdModeEnter without being listed.
  std::array<DeviceRecord, kDeviceTableSize> DeviceTable{};
  std::int32_t PathCount = 0;      // paths the last scan enumerated, supported or not
  std::int32_t EraseOnlyFlag = 0;  // 1: the erase-only choice is set
  std::int32_t AmicModel = 0;      // DetectAmicFlash of the selected device; -1: none
  ChipId CurrentChipId = 0;        // identification of the selected device
  TransferSettings Settings;       // FirmwareSizeSetting, TransferPageSize
};

}  // namespace qfw
