#include "flash/family10_fallback.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <string_view>
#include <vector>

#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/embedded_image.h"
#include "flash/image_layout.h"
#include "flash/zeroed_buffer.h"

namespace qfw {
namespace {

constexpr std::size_t kProgramPage = 8192;  // every CmdFlashWrite
constexpr std::size_t kEraseUnit = 32768;   // every CmdFlashSectorErase
constexpr int kProgressStep = 10;
constexpr std::chrono::milliseconds kSettlePause{500};
constexpr std::size_t kDeviceHeadLength = 4096;  // device bytes kept by an embedded-only build
constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::string_view kReadingText = "ReadFlash...";
constexpr std::string_view kPageReadText = ".";
constexpr std::string_view kNotReadyText = "0.1 Device initial not ready!!";

std::size_t RoundUp(std::size_t length, std::size_t unit) { return (length + unit - 1) / unit * unit; }

bool IsErased(std::span<const std::uint8_t> bytes) {
  return std::ranges::all_of(bytes, [](std::uint8_t b) { return b == kErasedByte; });
}

// Reads one page at address. A destination shorter than the page gets the
// part that fits, through a page-sized scratch buffer.
bool ReadPage(Transport& transport, const std::string& path, std::uint32_t address, std::span<std::uint8_t> rest,
              std::size_t page) {
  if (rest.size() >= page) return CmdFlashRead(transport, path, address, rest.first(page));
  auto scratch = AllocateZeroed(page);
  if (!scratch) return false;
  if (!CmdFlashRead(transport, path, address, std::span(*scratch))) return false;
  std::ranges::copy(std::span(*scratch).first(rest.size()), rest.begin());
  return true;
}

bool EraseUnits(const Context& context, const std::string& path, std::size_t length) {
  for (std::size_t address = 0; address < length; address += kEraseUnit) {
    WaitFlashReady(context, path);
    if (!CmdFlashSectorErase(context.transport, path, static_cast<std::uint32_t>(address))) return false;
  }
  return true;
}

// The flash must read erased after the sector erases; if it does not, a chip
// erase gets a second chance. A refused chip erase, or a read after it that
// fails, leaves the verify to decide.
bool ProveBlank(const Context& context, const TransferSettings& settings, const std::string& path,
                std::span<std::uint8_t> readBack) {
  if (!ReadFlashPaged(context, settings, path, 0, readBack)) return false;
  if (IsErased(readBack)) return true;
  WaitFlashReady(context, path);
  if (!CmdFlashChipErase(context.transport, path)) return true;
  context.host.clock.Sleep(kSettlePause);
  WaitFlashReady(context, path);
  if (!ReadFlashPaged(context, settings, path, 0, readBack)) return true;
  return IsErased(readBack);
}

bool ProgramPages(const Context& context, const std::string& path, std::span<const std::uint8_t> image) {
  for (std::size_t address = 0; address < image.size(); address += kProgramPage) {
    WaitFlashReady(context, path);
    if (!CmdFlashWrite(context.transport, path, static_cast<std::uint32_t>(address),
                       image.subspan(address, kProgramPage))) {
      return false;
    }
  }
  return true;
}

bool VerifyImage(const Context& context, const TransferSettings& settings, const std::string& path,
                 std::span<const std::uint8_t> image, std::span<std::uint8_t> readBack) {
  context.host.clock.Sleep(kSettlePause);
  WaitFlashReady(context, path);
  return ReadFlashPaged(context, settings, path, 0, readBack) && std::ranges::equal(readBack, image);
}

// Fills the image buffer by the two flags. False when the image cannot be
// built; nothing has been erased or written then.
bool BuildImage(const Context& context, const TransferSettings& settings, const std::string& path, bool fromDevice,
                bool fromEmbedded, std::span<const std::uint8_t, kConfigSize10> configBlock,
                std::span<std::uint8_t> image) {
  if (fromDevice && fromEmbedded) {
    // Without an embedded image there is nothing to merge the block into.
    if (LoadEmbeddedImage(context, path, image, 0, 0, false) == 0) return false;
  } else if (fromDevice) {
    if (!ReadFlashPaged(context, settings, path, 0, image)) return false;
  } else if (fromEmbedded) {
    if (!CmdFlashRead(context.transport, path, 0, image.first(kDeviceHeadLength))) return false;
    return LoadEmbeddedImage(context, path, image.subspan(kConfigSize10), kConfigSize10, 0, false) != 0;
  } else {
    return false;
  }
  std::ranges::copy(configBlock, image.begin());
  return true;
}

}  // namespace

bool ProgramFamily10ImageLegacy(const Context& context, const TransferSettings& settings, const std::string& path,
                                bool fromDevice, bool fromEmbedded, std::span<const std::uint8_t, 128> configBlock) {
  auto image = AllocateZeroed(kFlashImageSize);
  if (!image) return false;
  if (!BuildImage(context, settings, path, fromDevice, fromEmbedded, configBlock, *image)) return false;
  return LegacyEraseProgramVerify(context, settings, path, *image);
}

bool LegacyEraseProgramVerify(const Context& context, const TransferSettings& settings, const std::string& path,
                              std::span<const std::uint8_t> image) {
  // Nothing is erased that could not be programmed and read back.
  if (image.empty() || settings.transferPageSize <= 0) return false;
  const std::size_t length = RoundUp(image.size(), kProgramPage);
  auto imageCopy = AllocateZeroed(length);
  auto readBack = AllocateZeroed(length);
  if (!imageCopy || !readBack) return false;
  std::ranges::copy(image, imageCopy->begin());

  const std::array<std::function<bool()>, 4> stages{
      [&] { return EraseUnits(context, path, length); },
      [&] { return ProveBlank(context, settings, path, *readBack); },
      [&] { return ProgramPages(context, path, *imageCopy); },
      [&] { return VerifyImage(context, settings, path, *imageCopy, *readBack); },
  };
  context.host.progress.StepProgress(kProgressStep);
  for (const auto& stage : stages) {
    if (!stage()) return false;
    context.host.progress.StepProgress(kProgressStep);
  }
  return true;
}

bool ReadFlashPaged(const Context& context, const TransferSettings& settings, const std::string& path,
                    std::uint32_t address, std::span<std::uint8_t> destination) {
  if (settings.transferPageSize <= 0) return false;
  const auto page = static_cast<std::size_t>(settings.transferPageSize);
  if (!WaitFlashReady(context, path)) context.host.debug.Write(kNotReadyText);
  context.host.progress.SetStatusText(kReadingText);
  context.host.pump.ProcessPendingEvents();
  bool result = false;
  for (std::size_t offset = 0; offset < destination.size(); offset += page) {
    WaitFlashReady(context, path);
    if (!ReadPage(context.transport, path, static_cast<std::uint32_t>(address + offset), destination.subspan(offset),
                  page)) {
      return false;
    }
    result = true;
    context.host.progress.AppendStatusText(kPageReadText);
    context.host.pump.ProcessPendingEvents();
  }
  return result;
}

}  // namespace qfw
