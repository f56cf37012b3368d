#pragma once
// The framing of the USB Bulk-Only mass-storage transport: the 31-byte
// command block wrapper (CBW) the host sends before each command and the
// 13-byte command status wrapper (CSW) the device answers with.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace qfw::e2e {

inline constexpr std::size_t kCbwLength = 31;
inline constexpr std::size_t kCswLength = 13;
inline constexpr std::size_t kMaxCdbLength = 16;
inline constexpr std::uint32_t kCbwSignature = 0x43425355;  // "USBC"
inline constexpr std::uint32_t kCswSignature = 0x53425355;  // "USBS"

enum class CswStatus : std::uint8_t { Passed = 0, Failed = 1, PhaseError = 2 };

struct Cbw {
  std::uint32_t tag = 0;
  std::uint32_t dataLength = 0;
  bool dataIn = false;  // direction of the data phase (meaningless when dataLength is 0)
  std::uint8_t lun = 0;
  std::array<std::uint8_t, kMaxCdbLength> cdbBytes{};
  std::uint8_t cdbLength = 0;

  std::span<const std::uint8_t> Cdb() const { return std::span(cdbBytes).first(cdbLength); }
};

// The CBW in bytes, or nothing when they are not a valid one: wrong length
// or signature, reserved bits set, a LUN other than 0, a CDB length outside
// 1..16.
std::optional<Cbw> ParseCbw(std::span<const std::uint8_t> bytes);

std::array<std::uint8_t, kCswLength> BuildCsw(std::uint32_t tag, std::uint32_t residue, CswStatus status);

}  // namespace qfw::e2e
