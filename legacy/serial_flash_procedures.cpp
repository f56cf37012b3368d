#include "legacy/serial_flash_procedures.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/zeroed_buffer.h"
#include "legacy/backup_file.h"
#include "legacy/blank_check.h"
#include "legacy/legacy_image.h"
#include "legacy/procedure_status.h"
#include "legacy/serial_flash_erase.h"

namespace qfw {
namespace {

constexpr std::chrono::milliseconds kSettlePause{500};
constexpr std::chrono::milliseconds kVerifyPause{1000};

constexpr std::string_view kPowerCycleMessage = "Please Turn-Off the Power and Turn-On Again!";
constexpr std::string_view kMessageCaption = "Message";
constexpr std::string_view kLoadErrorText = "Load defaut Fw file Error!!";
constexpr std::string_view kAllocateErrorText = "Allocate read buffer Error!!";
constexpr std::string_view kInitialNotReadyText = "0.1 Device initial not ready!!";
constexpr std::string_view kReadErasedErrorText = "Read Back Erased Flash Error!!";
constexpr std::string_view kNotBlankText = "Data not 0xff !!";
constexpr std::string_view kPageDoneText = ".";
constexpr std::string_view kProgrammingFailText = "Programming Fail!!";
constexpr std::string_view kReadFailText = "Read Fail!!\r\n";
constexpr std::string_view kCompareFailText = "Compare Fail!!\r\n\r\n";
constexpr std::string_view kProgrammingSuccessText = "Programming Success!!";
constexpr std::string_view kEraseOnlyStartText = "Start Erase only!";
constexpr std::string_view kEraseFailText = "Erase command fail!!";
constexpr std::string_view kNotReadyAfterEraseText = "Not ready after Erase flash cmd success";
constexpr std::string_view kEraseSuccessText = "Erase flash all success!";
constexpr std::string_view kBackupStartText = "Backup ...";
constexpr std::string_view kBackupReadErrorText = "Read Back to Backup Error!!";
constexpr std::string_view kBackupOpenErrorText = "Open Backup File Error!!";
constexpr std::string_view kBackupWriteErrorText = "Write Backup File Error!!";
constexpr std::string_view kBackupSuccessText = "Read flash and backup success!";

// The default image padded to whole pages: the padding reads as erased
// flash, so the verify compares it with what the erase left there.
struct PagedImage {
  std::vector<std::uint8_t> bytes;
  std::uint32_t pageSize = 0;
  std::uint32_t pages = 0;
};

// Nothing is allocated when the image is missing or does not fit the page
// counter; the status says why.
std::optional<PagedImage> PageDefaultImage(const Context& context, const PanelChoices& choices) {
  const std::span<const std::uint8_t> image = FindLegacyImage(context.host.resources, kDefaultImageName);
  if (image.empty()) {
    SetStatus(context, kLoadErrorText);
    return std::nullopt;
  }
  const std::int32_t page = choices.settings.transferPageSize;
  const std::size_t pageSize = page > 0 ? static_cast<std::size_t>(page) : 0;
  const std::size_t pages = pageSize > 0 ? (image.size() + pageSize - 1) / pageSize : 0;
  if (pages == 0 || pages > kMaxImagePages) {
    ShowStatus(context, kImageTooLargeText);
    return std::nullopt;
  }
  PagedImage paged{.pageSize = static_cast<std::uint32_t>(page), .pages = static_cast<std::uint32_t>(pages)};
  auto bytes = AllocateZeroed(pages * paged.pageSize);
  if (!bytes) {
    ShowStatus(context, kAllocateErrorText);
    return std::nullopt;
  }
  std::ranges::fill(*bytes, kErasedByte);
  std::ranges::copy(image, bytes->begin());
  paged.bytes = std::move(*bytes);
  return paged;
}

// Proves the erased space blank, reading it in one command.
bool BlankCheck(const Context& context, const std::string& path, std::span<std::uint8_t> readBack) {
  if (!CmdFlashRead(context.transport, path, 0, readBack)) {
    ShowStatus(context, kReadErasedErrorText);
    return false;
  }
  context.host.progress.StepProgress(5);
  if (!IsErased(readBack)) {
    ShowStatus(context, kNotBlankText);
    return false;
  }
  return true;
}

bool ProgramPages(const Context& context, const std::string& path, const PagedImage& image) {
  const std::span<const std::uint8_t> bytes(image.bytes);
  for (std::uint32_t p = 0; p < image.pages; ++p) {
    context.host.progress.StepProgress(10);
    const std::uint32_t address = p * image.pageSize;
    if (!CmdFlashWrite(context.transport, path, address, bytes.subspan(address, image.pageSize))) return false;
    AppendStatus(context, kPageDoneText);
  }
  return true;
}

enum class Verify { Same, Different, ReadFailed };

Verify VerifyImage(const Context& context, const std::string& path, const PagedImage& image,
                   std::span<std::uint8_t> readBack) {
  context.host.clock.Sleep(kVerifyPause);
  BusyPoll(context, path);
  if (!CmdFlashRead(context.transport, path, 0, readBack)) {
    ShowStatus(context, kReadFailText);
    return Verify::ReadFailed;
  }
  context.host.progress.StepProgress(10);
  if (!std::ranges::equal(readBack, image.bytes)) {
    SetStatus(context, kCompareFailText);
    return Verify::Different;
  }
  ShowStatus(context, kProgrammingSuccessText);
  return Verify::Same;
}

bool ProgramDefaultImage(const Context& context, const PanelChoices& choices, const std::string& path) {
  const std::optional<PagedImage> image = PageDefaultImage(context, choices);
  if (!image) return false;
  auto readBack = AllocateZeroed(image->bytes.size());
  if (!readBack) {
    ShowStatus(context, kAllocateErrorText);
    return false;
  }
  if (!WaitFlashReady(context, path)) context.host.debug.Write(kInitialNotReadyText);
  const auto size = static_cast<std::uint32_t>(image->bytes.size());
  if (!EraseForImage(context, path, size, choices.amicModel)) return false;
  if (!BlankCheck(context, path, *readBack)) return false;

  context.host.progress.StepProgress(10);
  const bool programmed = ProgramPages(context, path, *image);
  context.host.progress.StepProgress(20);
  bool result = false;
  if (!programmed) {
    ShowStatus(context, kProgrammingFailText);
  } else {
    const Verify verify = VerifyImage(context, path, *image, *readBack);
    if (verify == Verify::ReadFailed) return false;
    result = verify == Verify::Same;
  }
  context.host.progress.StepProgress(10);
  return result;
}

std::uint32_t FirmwareSize(const PanelChoices& choices) {
  return static_cast<std::uint32_t>(std::max<std::int32_t>(0, choices.settings.firmwareSize));
}

}  // namespace

bool LegacySerialFlashUpdate(const Context& context, const PanelChoices& choices, const std::string& path) {
  if (choices.rdVersion && choices.eraseOnly) {
    if (!LegacyEraseOnly(context, choices, path)) return false;
    context.host.messages.Show(kPowerCycleMessage, kMessageCaption, MessageIcon::None);
    return true;
  }
  if (choices.rdVersion && choices.backupOnly) return LegacyBackupFlash(context, choices, path);
  return ProgramDefaultImage(context, choices, path);
}

bool LegacyEraseOnly(const Context& context, const PanelChoices& choices, const std::string& path) {
  ShowStatus(context, kEraseOnlyStartText);
  const std::uint32_t size = FirmwareSize(choices);
  (void)WaitFlashReady(context, path);
  if (!LegacyPagedErase(context, choices, path, size)) {
    ShowStatus(context, kEraseFailText);
    return false;
  }
  context.host.clock.Sleep(kSettlePause);
  if (!WaitFlashReady(context, path)) ShowStatus(context, kNotReadyAfterEraseText);
  auto readBack = AllocateZeroed(size);
  if (!readBack) {
    ShowStatus(context, kAllocateErrorText);
    return false;
  }
  // An erase that cannot be read back is not known to have worked.
  if (!CmdFlashRead(context.transport, path, 0, *readBack)) {
    ShowStatus(context, kReadErasedErrorText);
    return false;
  }
  if (!IsErased(*readBack)) {
    ShowStatus(context, kNotBlankText);
    return false;
  }
  ShowStatus(context, kEraseSuccessText);
  return true;
}

bool LegacyBackupFlash(const Context& context, const PanelChoices& choices, const std::string& path) {
  const std::string fileName = BackupFileName(context, choices.backupFileName);
  const std::uint32_t size = FirmwareSize(choices);
  ShowStatus(context, kBackupStartText);
  auto contents = AllocateZeroed(size);
  if (!contents) {
    ShowStatus(context, kAllocateErrorText);
    return false;
  }
  if (!CmdFlashRead(context.transport, path, 0, *contents)) {
    ShowStatus(context, kBackupReadErrorText);
    return false;
  }
  switch (WriteBackupFile(fileName, *contents)) {
    case BackupWrite::OpenFailed:
      ShowStatus(context, kBackupOpenErrorText);
      return false;
    case BackupWrite::WriteFailed:
      ShowStatus(context, kBackupWriteErrorText);
      return false;
    case BackupWrite::Written:
      break;
  }
  ShowStatus(context, kBackupSuccessText);
  return true;
}

}  // namespace qfw
