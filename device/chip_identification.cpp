#include "device/chip_identification.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include "device/command_codes.h"
#include "device/commands.h"

namespace qfw {
namespace {

constexpr std::size_t kInquiryLength = 40;
constexpr std::size_t kChipInfoLength = 16;
constexpr std::size_t kFamily7ChipInfoLength = 12;
constexpr std::size_t kChipCodeLength = 40;
constexpr std::uint32_t kVariantAddress = 0xFDB0;
constexpr std::uint8_t kVariantThreshold = 0xB4;
constexpr std::string_view kChipInfoFailText = "Get chip information fail !";

struct Identity {
  std::uint8_t family = kFamilyUnknown;
  std::uint8_t revision = 0;
};

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// An ASCII digit minus '0', computed on 8 bits as the controller does.
std::uint8_t DigitValue(std::uint8_t c, std::uint8_t zero) { return static_cast<std::uint8_t>(c - zero); }

// "%X%X" of two bytes: upper-case hex without leading zeros, joined.
std::string HexPair(std::uint8_t high, std::uint8_t low) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "%X%X", high, low);
  return text.data();
}

bool HasChipInfoMagic(std::span<const std::uint8_t> info) {
  return info[0] == codes::kChipInfoMagic0 && info[1] == codes::kChipInfoMagic1;
}

std::optional<std::uint8_t> FamilyByInquiryCode(std::string_view code) {
  const auto row = std::ranges::find(kChipCodes, code, &ChipCodeRow::inquiryCode);
  return row == kChipCodes.end() ? std::nullopt : std::optional(row->family);
}

std::optional<std::uint8_t> FamilyByTag(std::string_view tag) {
  const auto row = std::ranges::find(kChipCodes, tag, &ChipCodeRow::tag);
  return row == kChipCodes.end() ? std::nullopt : std::optional(row->family);
}

// Identify word and chip information, for devices without an INQUIRY code.
void IdentifyByChipInfo(Transport& t, const std::string& path, Identity& id) {
  std::array<std::uint8_t, 2> identify{};
  // A device that rejects the command (a plain USB disk answers CHECK
  // CONDITION) completes the request without data: that is no answer.
  const TransferResult identified = CmdReadIdentify(t, path, identify);
  if (!identified.ok || identified.transferred.value_or(0) == 0) return;
  std::array<std::uint8_t, kChipInfoLength> info{};
  if (!CmdReadChipInfo(t, path, info).ok) return;
  if (!HasChipInfoMagic(info)) {
    id.family = static_cast<std::uint8_t>(kIdentifyFamilyBase + ((identify[0] >> 5) & 3));
    return;
  }
  const std::string vendor = HexPair(info[2], info[3]);
  const std::string product = HexPair(info[4], info[5]);
  if (vendor.find(kFamilyByUsbIdsVendor) != std::string::npos &&
      product.find(kFamilyByUsbIdsProduct) != std::string::npos) {
    id.family = kFamilyByUsbIds;
    return;
  }
  id.family = FamilyByTag(AsText(std::span(info).subspan(8, 3))).value_or(id.family);
  id.revision = DigitValue(info[11], '0');
}

// The chip-code rules of the families whose code can move them.
struct ChipCodeRule {
  std::string_view prefix;
  std::uint8_t family;
  bool zeroMeansRevisionOne;
};
constexpr std::array<ChipCodeRule, 4> kChipCodeRules{{
    {"q611C", 1, false}, {"q614C", 4, false}, {"q631A", 11, false}, {"q621", 6, true}}};

void ApplyChipCode(Transport& t, const std::string& path, Identity& id) {
  std::array<std::uint8_t, kChipCodeLength> code{};
  if (!CmdReadChipCode(t, path, code)) {
    if (id.family == 1) id.revision = 1;
    return;
  }
  const std::string_view text = AsText(code);
  const std::uint8_t c = code[5];
  for (const ChipCodeRule& rule : kChipCodeRules) {
    if (text.starts_with(rule.prefix)) {
      id.family = rule.family;
      id.revision = rule.zeroMeansRevisionOne && c == 0x00 ? 1 : DigitValue(c, 0x2F);
      return;
    }
  }
}

void ApplyFamily7Revision(const Context& context, const std::string& path, Identity& id) {
  std::array<std::uint8_t, kFamily7ChipInfoLength> info{};
  const bool ok = CmdReadChipInfo(context.transport, path, info).ok && HasChipInfoMagic(info);
  if (ok && (info[11] == '1' || info[11] == '2')) {
    id.revision = DigitValue(info[11], '0');
    return;
  }
  context.host.messages.Show(kChipInfoFailText, "Error", MessageIcon::Error);
}

void ApplyRevisionRules(const Context& context, const std::string& path, Identity& id) {
  switch (id.family) {
    case 0: case 1: case 3: case 4: case 6: case 11:
      ApplyChipCode(context.transport, path, id);
      break;
    case 7:
      ApplyFamily7Revision(context, path, id);
      break;
    case kFamilyQrs641:
      if (ReadVariantFlag(context.transport, path)) id.revision = 9;
      break;
    default:
      break;
  }
}

}  // namespace

ChipId IdentifyChip(const Context& context, const std::string& path) {
  Transport& t = context.transport;
  Identity id;
  std::array<std::uint8_t, kInquiryLength> inquiry{};
  if (Inquiry(t, path, inquiry)) {
    const auto family = FamilyByInquiryCode(AsText(std::span(inquiry).subspan(36, 4)));
    if (family) {
      id.family = *family;
    } else {
      IdentifyByChipInfo(t, path, id);
    }
  }
  ApplyRevisionRules(context, path, id);
  return MakeChipId(id.family, id.revision);
}

bool IsSupportedFamily(const Context& context, const std::string& path) {
  const std::uint8_t family = ChipFamilyOf(IdentifyChip(context, path));
  return family == kFamilyQrs641 || family == kFamilyQrs642;
}

bool ReadVariantFlag(Transport& transport, const std::string& path) {
  std::array<std::uint8_t, 4> memory{};
  return CmdReadMemory(transport, path, memory, kVariantAddress) && memory[1] >= kVariantThreshold;
}

}  // namespace qfw
