#include "flash/image_assembly.h"

#include <algorithm>
#include <array>

#include "device/chip_identification.h"
#include "device/commands.h"
#include "flash/chunked_transfer.h"
#include "flash/embedded_image.h"
#include "flash/image_layout.h"
#include "flash/write_and_verify.h"
#include "flash/zeroed_buffer.h"

namespace qfw {
namespace {

// In the family-13 block read from the device, the bytes that decide
// whether the device's own block is kept (block offsets 206 and 207).
constexpr std::uint32_t kDeviceAreaLength13 = 4096;
constexpr std::size_t kKeepMarkOffset = 0xCE;
constexpr std::array<std::uint8_t, 2> kKeepMark{0x51, 0x52};  // "QR"

// Controller memory that tells whether the firmware takes block commands.
constexpr std::uint32_t kBlockSupportAddress13 = 0x5080;
constexpr std::uint32_t kBlockSupportAddressOther = 0x505E;
constexpr std::uint8_t kBlockSupportMinimum13 = 0x08;

void StoreChecksum13(std::span<std::uint8_t> image) {
  const std::uint16_t crc = ImageCrc16(image.first(kChecksumCovered13), 0);
  image[kChecksumOffset13] = static_cast<std::uint8_t>(crc >> 8);
  image[kChecksumOffset13 + 1] = static_cast<std::uint8_t>(crc);
}

// True when the device's area at 0xC000 holds a block worth keeping.
bool DeviceKeepsBlock13(std::span<const std::uint8_t> area) {
  return !IsBlankArea(area) && std::ranges::equal(area.subspan(kKeepMarkOffset, kKeepMark.size()), kKeepMark);
}

// The embedded firmware over the device's flash from 0xC000 to 0xCFFF: the
// code area only when the device's block is kept, else the whole image with
// its own block. False when the embedded image is missing.
bool FillFromEmbedded13(const Context& context, const std::string& path, std::span<std::uint8_t> image) {
  const auto area = image.subspan(kConfigOffset13, kDeviceAreaLength13);
  ReadFlash(context, path, kConfigOffset13, area);  // a failed read leaves a blank area
  if (DeviceKeepsBlock13(area)) {
    return LoadEmbeddedImage(context, path, image.first(kCodeAreaSize13), 0, kCodeAreaSize13, true) != 0;
  }
  return LoadEmbeddedImage(context, path, image, 0, 0, true) != 0;
}

bool Fill13(const Context& context, const std::string& path, bool fromDevice, bool fromEmbedded,
            std::span<const std::uint8_t, kConfigSize13> configBlock, std::span<std::uint8_t> image) {
  if (!fromDevice) return FillFromEmbedded13(context, path, image);
  if (fromEmbedded) {
    if (LoadEmbeddedImage(context, path, image.first(kCodeAreaSize13), 0, kCodeAreaSize13, true) == 0) return false;
  } else if (!ReadFlash(context, path, 0, image)) {
    return false;
  }
  std::ranges::copy(configBlock, image.begin() + kConfigOffset13);
  return true;
}

bool Fill10(const Context& context, const std::string& path, bool fromDevice, bool fromEmbedded,
            std::span<const std::uint8_t, kConfigSize10> configBlock, std::span<std::uint8_t> image) {
  if (fromDevice) {
    if (!ReadFlash(context, path, 0, image)) return false;
    std::ranges::copy(configBlock, image.begin());
  }
  return !fromEmbedded ||
         LoadEmbeddedImage(context, path, image.subspan(kConfigSize10), kConfigSize10, 0, false) != 0;
}

}  // namespace

// A missing embedded image, a failed whole-flash read and a call without
// either source all stop before anything is written.
bool ProgramFamily13Image(const Context& context, const std::string& path, bool fromDevice, bool fromEmbedded,
                          std::span<const std::uint8_t, 256> configBlock) {
  if (!fromDevice && !fromEmbedded) return false;
  auto image = AllocateZeroed(kFlashImageSize);
  if (!image || !Fill13(context, path, fromDevice, fromEmbedded, configBlock, *image)) return false;
  StoreChecksum13(*image);
  return WriteAndVerify(context, path, *image, true);
}

bool ProgramFamily10Image(const Context& context, const std::string& path, bool fromDevice, bool fromEmbedded,
                          std::span<const std::uint8_t, 128> configBlock) {
  if (!fromDevice && !fromEmbedded) return false;
  auto image = AllocateZeroed(kFlashImageSize);
  if (!image || !Fill10(context, path, fromDevice, fromEmbedded, configBlock, *image)) return false;
  const bool detect = ReadVariantFlag(context.transport, path);
  return WriteAndVerify(context, path, *image, detect);
}

bool ProbeBlockCommandSupport(Transport& transport, const std::string& path, std::uint8_t family) {
  const bool family13 = family == kFamilyQrs642;
  std::array<std::uint8_t, 4> memory{};
  if (!CmdReadMemory(transport, path, memory, family13 ? kBlockSupportAddress13 : kBlockSupportAddressOther)) {
    return false;
  }
  if (family13) return memory[0] >= kBlockSupportMinimum13;
  return memory[1] == 0x00 && memory[2] == 0x01;
}

}  // namespace qfw
