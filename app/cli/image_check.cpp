#include "app/cli/image_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "device/chip_family.h"
#include "flash/embedded_image.h"
#include "flash/image_checksum.h"
#include "flash/image_layout.h"
#include "legacy/chip_tag_table.h"

namespace qfw::cli {
namespace {

constexpr std::size_t kTagLength = 4;
constexpr std::size_t kTagDigits = 3;

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    std::array<char, 4> cell{};
    std::snprintf(cell.data(), cell.size(), "%s%02X", text.empty() ? "" : " ", byte);
    text += cell.data();
  }
  return text;
}

std::string Hex16(unsigned value) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "0x%04X", value);
  return text.data();
}

std::string SizeText(std::size_t size) { return std::to_string(size) + " bytes"; }

std::string_view ChipDigits13() {
  const auto row = std::ranges::find(kChipCodes, kFamilyQrs642, &ChipCodeRow::family);
  return row->tag;
}

std::optional<std::string> MarkerProblem(std::span<const std::uint8_t> bytes) {
  const auto marker = bytes.subspan(kMarkerOffset13, kFirmwareMarker.size());
  if (std::ranges::equal(marker, kFirmwareMarker)) return std::nullopt;
  return "no firmware marker at 0xBFF0 (found " + Hex(marker) + ", expected 55 AA AA 55)";
}

std::optional<std::string> TagProblem(std::span<const std::uint8_t> bytes) {
  const auto tag = bytes.subspan(kTagOffset13, kTagLength);
  const std::string_view digits = ChipDigits13();
  const bool chipMatches = std::ranges::equal(tag.first(kTagDigits), digits);
  if (chipMatches && std::isdigit(tag[kTagDigits]) != 0) return std::nullopt;
  return "the firmware tag at 0xBFF4 (" + Hex(tag) + ") is not a QRS642 tag: \"" + std::string(digits) +
         "\" and a revision digit";
}

std::optional<std::string> ChecksumProblem(std::span<const std::uint8_t> bytes) {
  const unsigned stored = static_cast<unsigned>(bytes[kChecksumOffset13] << 8 | bytes[kChecksumOffset13 + 1]);
  const unsigned computed = ImageCrc16(bytes.first(kChecksumCovered13), 0);
  if (stored == computed) return std::nullopt;
  return "the checksum stored at 0xBFFE (" + Hex16(stored) + ") does not match the code area (" + Hex16(computed) + ")";
}

std::optional<std::string> SizeProblem(std::span<const std::uint8_t> bytes, std::size_t expected,
                                       std::string_view what) {
  if (bytes.size() == expected) return std::nullopt;
  return "it is " + SizeText(bytes.size()) + "; " + std::string(what) + " is " + SizeText(expected);
}

std::optional<std::string> Family10FlashProblem(std::span<const std::uint8_t> bytes) {
  if (!HasConfigSignature(bytes.first(kConfigSize10))) {
    return "its configuration block (flash 0x0000) does not end with the signature \"QR\"";
  }
  if (IsBlankArea(bytes.subspan(kConfigSize10))) return "it holds no firmware after its configuration block";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> Family13ImageProblem(std::span<const std::uint8_t> bytes) {
  if (auto problem = SizeProblem(bytes, kImageSize13, "a QRS642 firmware image")) return problem;
  if (auto problem = MarkerProblem(bytes)) return problem;
  if (auto problem = TagProblem(bytes)) return problem;
  if (auto problem = ChecksumProblem(bytes)) return problem;
  if (!HasConfigSignature(bytes.subspan(kConfigOffset13, kConfigSize13))) {
    return "its configuration block (0xC000) does not end with the signature \"QR\"";
  }
  return std::nullopt;
}

std::optional<std::string> FlashImageProblem(std::span<const std::uint8_t> bytes, std::uint8_t family) {
  if (family != kFamilyQrs642 && family != kFamilyQrs641) {
    return "restoring is for QRS641 and QRS642 controllers only (this is " + std::string(ChipName(family)) + ")";
  }
  if (auto problem = SizeProblem(bytes, kFlashImageSize, "the whole flash")) return problem;
  // A QRS642 flash starts with its firmware image, configuration block included.
  return family == kFamilyQrs642 ? Family13ImageProblem(bytes.first(kImageSize13)) : Family10FlashProblem(bytes);
}

}  // namespace qfw::cli
