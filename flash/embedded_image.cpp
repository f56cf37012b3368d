#include "flash/embedded_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "device/chip_identification.h"
#include "device/command_codes.h"
#include "device/commands.h"
#include "flash/chunked_transfer.h"
#include "flash/image_layout.h"
#include "flash/zeroed_buffer.h"

namespace qfw {
namespace {

constexpr std::size_t kChipInfoLength = 16;
constexpr std::size_t kShortVersionByte = 6;  // first number of the short firmware version
constexpr std::size_t kLongVersionByte = 12;  // first of the long version's numbers (12, 13)
constexpr std::uint8_t kFamily10LongVersion = 18;  // family-10 firmware 18.x names its image by the long form
constexpr std::uint8_t kSignature0 = 0x51;  // 'Q'
constexpr std::uint8_t kSignature1 = 0x52;  // 'R'

// How one family's images are named and what stands in for a missing one.
struct ImageNaming {
  std::string_view type;
  std::string_view fallback;
  std::string_view fallbackLongVersion;  // family 10 with short version 18
};

constexpr ImageNaming kNaming13{kResourceType13, "FW6701", "FW6701"};
constexpr ImageNaming kNaming10{kResourceType10, "FW0255", "FW1802"};

// "FW" and two numbers of at least two digits each ("FW0701", "FW18100").
std::string ImageName(unsigned first, unsigned second) {
  std::array<char, 16> name{};
  std::snprintf(name.data(), name.size(), "FW%.2u%.2u", first, second);
  return name.data();
}

std::string NameFromChipInfo(std::span<const std::uint8_t, kChipInfoLength> info, bool family13) {
  if (family13) return ImageName(info[kLongVersionByte], info[kLongVersionByte + 1]);
  if (info[kShortVersionByte] == kFamily10LongVersion) {
    return ImageName(kFamily10LongVersion, info[kLongVersionByte]);
  }
  return ImageName(info[kShortVersionByte], 0);
}

std::optional<std::span<const std::uint8_t>> FindImage(const Context& context, const std::string& path,
                                                       bool family13) {
  const std::string name = FindEmbeddedImage(context, path, family13);
  if (name.empty()) return std::nullopt;
  return context.host.resources.Find(family13 ? kResourceType13 : kResourceType10, name);
}

// The range the already-updated check compares: family 13 the code area
// without its checksum, family 10 everything after the configuration block.
struct CompareRange {
  std::size_t begin;
  std::size_t end;
};

std::optional<CompareRange> RangeToCompare(bool family13, std::size_t imageSize) {
  if (imageSize == 0) return std::nullopt;
  if (family13) return CompareRange{0, kAlreadyUpdatedCompare13};
  if (imageSize <= kConfigSize10) return std::nullopt;
  return CompareRange{kConfigSize10, std::min<std::size_t>(imageSize, kFlashImageSize)};
}

}  // namespace

std::string FindEmbeddedImage(const Context& context, const std::string& path, bool family13) {
  std::array<std::uint8_t, kChipInfoLength> info{};
  if (!CmdReadChipInfo(context.transport, path, info).ok) return {};
  if (info[0] != codes::kChipInfoMagic0 || info[1] != codes::kChipInfoMagic1) return {};
  const ImageNaming& naming = family13 ? kNaming13 : kNaming10;
  const std::string name = NameFromChipInfo(info, family13);
  if (context.host.resources.Find(naming.type, name)) return name;
  const bool longVersion = !family13 && info[kShortVersionByte] == kFamily10LongVersion;
  return std::string(longVersion ? naming.fallbackLongVersion : naming.fallback);
}

std::size_t LoadEmbeddedImage(const Context& context, const std::string& path, std::span<std::uint8_t> destination,
                              std::size_t offset, std::size_t length, bool family13) {
  const auto image = FindImage(context, path, family13);
  if (!image) return 0;
  const std::size_t size = image->size();
  const std::size_t start = std::min(offset, size);
  const bool partial = length != 0 && length <= size - start;
  // A destination shorter than the range gets what fits.
  const std::size_t count = std::min(partial ? length : size - start, destination.size());
  std::ranges::copy(image->subspan(start, count), destination.begin());
  return size;
}

bool HasConfigSignature(std::span<const std::uint8_t> block) {
  return block.size() >= 2 && block[block.size() - 2] == kSignature0 && block[block.size() - 1] == kSignature1;
}

bool IsAlreadyUpdated(const Context& context, const std::string& path) {
  const std::uint8_t family = ChipFamilyOf(IdentifyChip(context, path));
  if (family != kFamilyQrs642 && family != kFamilyQrs641) return false;
  const bool family13 = family == kFamilyQrs642;
  auto image = AllocateZeroed(kFlashImageSize);
  auto flash = AllocateZeroed(kFlashImageSize);
  if (!image || !flash) return false;
  const std::size_t imageSize = LoadEmbeddedImage(context, path, *image, 0, 0, family13);
  if (!ReadFlash(context, path, 0, *flash)) return false;
  const auto range = RangeToCompare(family13, imageSize);
  if (!range) return false;
  const auto compared = [&](const std::vector<std::uint8_t>& bytes) {
    return std::span(bytes).subspan(range->begin, range->end - range->begin);
  };
  return std::ranges::equal(compared(*image), compared(*flash));
}

}  // namespace qfw
