#pragma once
// The developer panel's procedures for the older serial-flash controllers
// (families 1, 3, 4 and 7), with the simple flash commands: erase-only,
// backup to a file, and erase, program and verify of the default image.
// Status texts go to the window's status field; progress to its bar.

#include <string>

#include "device/context.h"
#include "legacy/panel_choices.h"

namespace qfw {

// A default image may hold at most this many pages of TransferPageSize.
inline constexpr int kMaxImagePages = 255;

// Erase-only or backup when "RD Version" is checked with that choice;
// otherwise programs the default image. True on success.
bool LegacySerialFlashUpdate(const Context& context, const PanelChoices& choices, const std::string& path);

// Erases FirmwareSizeSetting bytes page by page and proves them blank.
bool LegacyEraseOnly(const Context& context, const PanelChoices& choices, const std::string& path);

// Copies FirmwareSizeSetting bytes from flash address 0 into the backup
// file. True only when the whole file reached the disk.
bool LegacyBackupFlash(const Context& context, const PanelChoices& choices, const std::string& path);

}  // namespace qfw
