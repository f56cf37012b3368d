#pragma once
// Serial-flash kinds as the controller numbers them, their vendor names and
// the instruction codes each kind uses.

#include <array>
#include <cstdint>
#include <string_view>

namespace qfw {

using FlashKind = std::uint8_t;
inline constexpr FlashKind kFlashKindUnknown = 0;
inline constexpr FlashKind kFlashKindMxic = 5;
inline constexpr FlashKind kFlashKindAmic = 7;
inline constexpr std::size_t kFlashKindCount = 11;

// Vendor names by kind.
inline constexpr std::array<std::string_view, kFlashKindCount> FlashVendorNames{
    "Unknown", "PMC", "SST", "ST/EON/MXIC", "ATMEL", "MXIC", "WINBOND", "AMIC", "EON", "ESMT", "SANYO",
};

constexpr std::string_view FlashVendorName(FlashKind kind) {
  return kind < FlashVendorNames.size() ? FlashVendorNames[kind] : FlashVendorNames[kFlashKindUnknown];
}

// Instruction codes for chip erase, block erase, program and sector erase.
using FlashOpcodeSet = std::array<std::uint8_t, 4>;
inline constexpr FlashOpcodeSet kCommonOpcodes{0xC7, 0xD8, 0x02, 0x20};
inline constexpr FlashOpcodeSet kSstOpcodes{0x60, 0x52, 0xAF, 0x20};
inline constexpr FlashOpcodeSet kAtmelOpcodes{0x62, 0x52, 0x02, 0x20};
inline constexpr FlashOpcodeSet kSanyoOpcodes{0xC7, 0xD8, 0x02, 0xD7};

// What flash detection delivers: the opcode set and the kind.
struct FlashDetection {
  FlashOpcodeSet opcodes = kCommonOpcodes;
  FlashKind kind = kFlashKindUnknown;
  bool operator==(const FlashDetection&) const = default;
};

}  // namespace qfw
