#include "legacy/backup_file.h"

#include <fstream>

namespace qfw {
namespace {

constexpr std::string_view kDefaultBackupMessage = "Default backup firmware as OldFalsh.bak!";
constexpr std::string_view kMessageCaption = "Message";

}  // namespace

std::string BackupFileName(const Context& context, const std::string& fieldText) {
  if (!fieldText.empty()) return fieldText;
  context.host.messages.Show(kDefaultBackupMessage, kMessageCaption, MessageIcon::None);
  return std::string(kDefaultBackupName);
}

BackupWrite WriteBackupFile(const std::string& fileName, std::span<const std::uint8_t> bytes) {
  std::ofstream file(fileName, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!file.is_open()) return BackupWrite::OpenFailed;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  // The last bytes may reach the disk only when the stream is flushed on
  // closing; a failure there fails the backup as much as one in the write.
  const bool written = file.good();
  file.close();
  return written && !file.fail() ? BackupWrite::Written : BackupWrite::WriteFailed;
}

}  // namespace qfw
