#pragma once
// The backup file of the developer panel: the raw memory contents from
// address 0, no header or trailer.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "device/context.h"

namespace qfw {

inline constexpr std::string_view kDefaultBackupName = "oldflash.bak";

// The name to back up to: the "Backup FileName" text, or, when that is
// empty, the default name in the current directory after a message that
// says so. Names of any length are kept whole.
std::string BackupFileName(const Context& context, const std::string& fieldText);

enum class BackupWrite {
  Written,     // every byte reached the file and it closed cleanly
  OpenFailed,  // the file could not be created
  WriteFailed, // created, but the bytes did not all reach it (disk full, I/O error)
};

// Creates (or truncates) the file and writes bytes to it, without text
// translation. A file that could not be written whole is left as it is.
BackupWrite WriteBackupFile(const std::string& fileName, std::span<const std::uint8_t> bytes);

}  // namespace qfw
