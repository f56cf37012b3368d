#pragma once
// The controller line's chip families and how each one names itself.

#include <array>
#include <cstdint>
#include <string_view>

namespace qfw {

// Low byte: chip family (0 to 18); high byte: revision.
using ChipId = std::uint16_t;

constexpr std::uint8_t ChipFamilyOf(ChipId id) { return static_cast<std::uint8_t>(id & 0xFF); }
constexpr std::uint8_t ChipRevisionOf(ChipId id) { return static_cast<std::uint8_t>(id >> 8); }
constexpr ChipId MakeChipId(std::uint8_t family, std::uint8_t revision) {
  return static_cast<ChipId>((revision << 8) | family);
}

inline constexpr std::uint8_t kFamilyUnknown = 0;
inline constexpr std::uint8_t kFamilyQrs641 = 10;
inline constexpr std::uint8_t kFamilyQrs642 = 13;
inline constexpr std::uint8_t kFamilyCount = 19;

// Display names by family.
inline constexpr std::array<std::string_view, kFamilyCount> ChipNameTable{
    "Unknown Chip",  "QR40611 Series", "QR40612 Series", "QR40613 Series",    "QR40614 Series",
    "QR40615 Series", "QRB621 Series", "QRB622 Series",  "QRB623 Series",     "QRB624 Series",
    "QRS641/642 Series", "QRB631 Series", "QRB632 Series", "QRS642 Series",   "QR40613",
    "QR40616",       "QR40614",        "QR40611",        "QR40612",
};

// The name of a family; "Unknown Chip" outside the table.
constexpr std::string_view ChipName(std::uint8_t family) {
  return family < ChipNameTable.size() ? ChipNameTable[family] : ChipNameTable[kFamilyUnknown];
}

// Families that announce themselves by an INQUIRY chip code (bytes 36-39)
// and by a chip-information tag (bytes 8-10).
struct ChipCodeRow {
  std::uint8_t family;
  std::string_view inquiryCode;
  std::string_view tag;
};

inline constexpr std::array<ChipCodeRow, 13> kChipCodes{{
    {1, "q611", "611"},  {2, "q612", "612"},  {3, "q613", "613"},  {4, "q614", "614"},  {5, "q615", "615"},
    {6, "q621", "621"},  {7, "q622", "622"},  {8, "q623", "623"},  {9, "q624", "624"},  {10, "q641", "641"},
    {11, "q631", "631"}, {12, "q632", "632"}, {13, "q642", "642"},
}};

// Families without chip information, told apart by bits 5-6 of the first
// identify byte.
inline constexpr std::uint8_t kIdentifyFamilyBase = 14;
// The family identified by its USB ids in the chip information.
inline constexpr std::uint8_t kFamilyByUsbIds = 18;
inline constexpr std::string_view kFamilyByUsbIdsVendor = "3C5B";
inline constexpr std::string_view kFamilyByUsbIdsProduct = "7E12";

}  // namespace qfw
