#pragma once
// SCSI sense data: why the last command ended in CHECK CONDITION, handed to
// the host by REQUEST SENSE in fixed format.

#include <array>
#include <cstdint>

namespace qfw::e2e {

struct Sense {
  std::uint8_t key = 0;
  std::uint8_t asc = 0;   // additional sense code
  std::uint8_t ascq = 0;  // its qualifier
  bool operator==(const Sense&) const = default;
};

inline constexpr Sense kNoSense{};
inline constexpr Sense kInvalidOpcode{0x05, 0x20, 0x00};     // ILLEGAL REQUEST
inline constexpr Sense kInvalidFieldInCdb{0x05, 0x24, 0x00}; // ILLEGAL REQUEST
inline constexpr Sense kLbaOutOfRange{0x05, 0x21, 0x00};     // ILLEGAL REQUEST
inline constexpr Sense kInternalTargetFailure{0x04, 0x44, 0x00};  // HARDWARE ERROR

inline constexpr std::size_t kFixedSenseLength = 18;

std::array<std::uint8_t, kFixedSenseLength> FixedFormatSense(const Sense& sense);

}  // namespace qfw::e2e
