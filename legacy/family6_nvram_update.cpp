#include "legacy/family6_nvram_update.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "device/chip_identification.h"
#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/zeroed_buffer.h"
#include "legacy/blank_check.h"
#include "legacy/legacy_image.h"
#include "legacy/procedure_status.h"

namespace qfw {
namespace {

constexpr std::uint8_t kFamily6 = 6;
constexpr std::string_view kAllocateErrorText = "Allocate buffers Error!!";
constexpr std::string_view kNvramReadFailText = "Backup NVRAM command fail!";
constexpr std::string_view kWriteFailText = "Write command fail!";

struct RevisionImage {
  std::uint8_t revision;
  std::string_view name;
};
constexpr std::array<RevisionImage, 2> kRevisionImages{{{1, kFamily6ImageRevision1}, {2, kFamily6ImageRevision2}}};

// The image for the device as it identifies now; empty for anything but a
// family-6 controller of a known revision.
std::span<const std::uint8_t> ImageForDevice(const Context& context, const std::string& path) {
  const ChipId id = IdentifyChip(context, path);
  if (ChipFamilyOf(id) != kFamily6) return {};
  const auto row = std::ranges::find(kRevisionImages, ChipRevisionOf(id), &RevisionImage::revision);
  if (row == kRevisionImages.end()) return {};
  return FindLegacyImage(context.host.resources, row->name);
}

// The program length: the image's, at least one page, in whole pages.
std::uint32_t ProgramLength(std::size_t imageLength) {
  const std::size_t length = std::max<std::size_t>(imageLength, kFamily6PageSize);
  return static_cast<std::uint32_t>((length + kFamily6PageSize - 1) / kFamily6PageSize * kFamily6PageSize);
}

// The device's NVRAM area, then the image from the end of that area on,
// zeros after the image.
void BuildProgramImage(std::span<const std::uint8_t> nvram, std::span<const std::uint8_t> image,
                       std::span<std::uint8_t> program) {
  std::ranges::copy(nvram, program.begin());
  if (image.size() > kNvramAreaSize) {
    std::ranges::copy(image.subspan(kNvramAreaSize), program.begin() + kNvramAreaSize);
  }
}

bool EraseAndBlankCheck(const Context& context, const std::string& path, std::uint32_t length,
                        std::span<std::uint8_t> verify) {
  const std::uint32_t blocks = (length + kFamily6EraseBlock - 1) / kFamily6EraseBlock;
  for (std::uint32_t b = 0; b < blocks; ++b) {
    const std::uint32_t address = b * kFamily6EraseBlock;
    context.host.progress.StepProgress(10);
    (void)WaitFlashReady(context, path);
    if (!CmdFlashSectorErase(context.transport, path, address)) return false;
    for (std::uint32_t half = address; half < address + kFamily6EraseBlock; half += kFamily6PageSize) {
      (void)WaitFlashReady(context, path);
      if (!CmdFlashRead(context.transport, path, half, verify) || !IsErased(verify)) return false;
    }
  }
  return true;
}

bool ProgramAndVerify(const Context& context, const std::string& path, std::span<const std::uint8_t> program,
                      std::span<std::uint8_t> verify) {
  for (std::uint32_t address = 0; address < program.size(); address += kFamily6PageSize) {
    const std::span<const std::uint8_t> page = program.subspan(address, kFamily6PageSize);
    context.host.progress.StepProgress(10);
    (void)WaitFlashReady(context, path);
    if (!CmdFlashWrite(context.transport, path, address, page)) {
      SetStatus(context, kWriteFailText);
      return false;
    }
    (void)WaitFlashReady(context, path);
    if (!CmdFlashRead(context.transport, path, address, verify)) {
      SetStatus(context, kWriteFailText);
      return false;
    }
    context.host.progress.StepProgress(10);
    if (!std::ranges::equal(verify, page)) return false;
  }
  return true;
}

}  // namespace

bool Family6NvramUpdate(const Context& context, const std::string& path) {
  auto nvram = AllocateZeroed(kNvramAreaSize);
  if (!nvram) {
    SetStatus(context, kAllocateErrorText);
    return false;
  }
  (void)WaitFlashReady(context, path);
  if (!CmdFlashRead(context.transport, path, 0, *nvram)) {
    SetStatus(context, kNvramReadFailText);
    return false;
  }
  const std::span<const std::uint8_t> image = ImageForDevice(context, path);
  if (image.empty()) return false;

  const std::uint32_t length = ProgramLength(image.size());
  auto verify = AllocateZeroed(kFamily6PageSize);
  auto program = AllocateZeroed(length);
  if (!verify || !program) {
    SetStatus(context, kAllocateErrorText);
    return false;
  }
  if (!EraseAndBlankCheck(context, path, length, *verify)) return false;
  context.host.progress.StepProgress(10);
  BuildProgramImage(*nvram, image, *program);
  if (!ProgramAndVerify(context, path, *program, *verify)) return false;
  context.host.progress.StepProgress(20);
  return true;
}

}  // namespace qfw
