#include "legacy/rom_procedures.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

#include "device/commands.h"
#include "flash/zeroed_buffer.h"
#include "legacy/backup_file.h"
#include "legacy/blank_check.h"
#include "legacy/legacy_image.h"
#include "legacy/procedure_status.h"

namespace qfw {
namespace {

constexpr std::string_view kEraseOnlyStartText = "Start Erase only!";
constexpr std::string_view kPreEraseErrorText = "Error pre-erase command!!";
constexpr std::string_view kEraseStatusFailText = "Erase command ok,status fail!!";
constexpr std::string_view kEraseOkText = "Erase command ok!!";
constexpr std::string_view kAllocateErrorText = "Allocate read buffer Error!!";
constexpr std::string_view kEraseReadFailText = "Read Back after Erase fail!!";
constexpr std::string_view kNotErasedText = "Not Erase correctly!";
constexpr std::string_view kEraseSuccessText = "Erase All success!!";
constexpr std::string_view kBackupStartText = "Backup ...";
constexpr std::string_view kBackupReadFailText = "Read ROM fail!!";
constexpr std::string_view kBackupSaveFailText = "Read ROM Suceess, but save to file fail!!";
constexpr std::string_view kBackupSuccessText = "Read flash and backup success!";
constexpr std::string_view kSwitchFailText = "Can't switch to internal ROM";
constexpr std::string_view kProgrammingFailText = "Programming Fail!!";
constexpr std::string_view kProgrammingSuccessText = "Programming Success!!";
constexpr std::string_view kReadFailText = "Read Fail!!";
constexpr std::string_view kCompareFailText = "Compare Fail!!";
constexpr std::string_view kUpdateSuccessText = "Programming & Compare Success!!";

// The default image, or nothing when it is missing, empty or larger than
// the ROM; the status then says so and nothing has been sent.
std::optional<std::span<const std::uint8_t>> RomImage(const Context& context) {
  const std::span<const std::uint8_t> image = FindLegacyImage(context.host.resources, kDefaultImageName);
  if (image.empty()) {
    SetStatus(context, kProgrammingFailText);
    return std::nullopt;
  }
  if (image.size() > kRomSize) {
    SetStatus(context, kImageTooLargeText);
    return std::nullopt;
  }
  return image;
}

// The erase before programming. Only a refused sequence and a ROM that
// reads back not blank end the update; a refused execute, a wait that gives
// up and a failed read leave the verify to judge.
bool EraseBeforeProgram(const Context& context, const std::string& path, int romType,
                        std::span<std::uint8_t> readBack) {
  if (!CmdRomLoadSequence(context.transport, path, romType)) {
    SetStatus(context, kPreEraseErrorText);
    return false;
  }
  if (!CmdRomExecute(context.transport, path)) return true;
  if (!WaitRomReady(context.transport, path)) {
    SetStatus(context, kEraseStatusFailText);
    return true;
  }
  SetStatus(context, kEraseOkText);
  if (!CmdRomRead(context.transport, path, 0, readBack)) return true;
  if (!IsErased(readBack)) {
    SetStatus(context, kNotErasedText);
    return false;
  }
  return true;
}

void ProgramAndVerify(const Context& context, const std::string& path, std::span<const std::uint8_t> image,
                      int romType, std::span<std::uint8_t> readBack) {
  (void)WaitRomReady(context.transport, path);
  if (!CmdRomProgram(context.transport, path, image, romType)) {
    SetStatus(context, kProgrammingFailText);
    return;
  }
  SetStatus(context, kProgrammingSuccessText);
  (void)WaitRomReady(context.transport, path);
  const std::span<std::uint8_t> programmed = readBack.first(image.size());
  if (!CmdRomRead(context.transport, path, 0, programmed)) {
    SetStatus(context, kReadFailText);
    return;
  }
  if (!std::ranges::equal(programmed, image)) {
    SetStatus(context, kCompareFailText);
    return;
  }
  SetStatus(context, kUpdateSuccessText);
}

}  // namespace

bool WaitRomReady(Transport& transport, const std::string& path) {
  for (int round = 0; round < kRomPollRounds; ++round) {
    for (int poll = 0; poll < kRomPollsPerRound; ++poll) {
      if (!CmdRomStatus(transport, path)) return true;
    }
  }
  return false;
}

void RomEraseOnly(const Context& context, const std::string& path, int romType) {
  SetStatus(context, kEraseOnlyStartText);
  if (!CmdRomLoadSequence(context.transport, path, romType)) {
    SetStatus(context, kPreEraseErrorText);
    return;
  }
  if (!CmdRomExecute(context.transport, path)) return;
  if (!WaitRomReady(context.transport, path)) {
    SetStatus(context, kEraseStatusFailText);
    return;
  }
  SetStatus(context, kEraseOkText);
  auto readBack = AllocateZeroed(kRomSize);
  if (!readBack) {
    SetStatus(context, kAllocateErrorText);
    return;
  }
  if (!CmdRomRead(context.transport, path, 0, *readBack)) {
    SetStatus(context, kEraseReadFailText);
    return;
  }
  if (!IsErased(*readBack)) {
    SetStatus(context, kNotErasedText);
    return;
  }
  SetStatus(context, kEraseSuccessText);
}

void RomBackup(const Context& context, const PanelChoices& choices, const std::string& path) {
  const std::string fileName = BackupFileName(context, choices.backupFileName);
  SetStatus(context, kBackupStartText);
  auto contents = AllocateZeroed(kRomSize);
  if (!contents) {
    SetStatus(context, kAllocateErrorText);
    return;
  }
  if (!CmdRomRead(context.transport, path, 0, *contents)) {
    SetStatus(context, kBackupReadFailText);
    return;
  }
  if (WriteBackupFile(fileName, *contents) != BackupWrite::Written) {
    SetStatus(context, kBackupSaveFailText);
    return;
  }
  SetStatus(context, kBackupSuccessText);
}

void RomUpdate(const Context& context, const PanelChoices& choices, const std::string& path) {
  // The image is looked at before anything reaches the device, so that a
  // build without it leaves the ROM and the controller as they were.
  std::optional<std::span<const std::uint8_t>> image;
  if (!choices.eraseOnly && !choices.backupOnly) {
    image = RomImage(context);
    if (!image) return;
  }
  if (!choices.a1Chip && !CmdSwitchInternalRom(context.transport, path)) {
    SetStatus(context, kSwitchFailText);
    return;
  }
  if (choices.eraseOnly) {
    RomEraseOnly(context, path, choices.romType);
    return;
  }
  if (choices.backupOnly) {
    RomBackup(context, choices, path);
    return;
  }
  auto readBack = AllocateZeroed(kRomSize);
  if (!readBack) {
    SetStatus(context, kAllocateErrorText);
    return;
  }
  if (!EraseBeforeProgram(context, path, choices.romType, *readBack)) return;
  ProgramAndVerify(context, path, *image, choices.romType, *readBack);
}

}  // namespace qfw
