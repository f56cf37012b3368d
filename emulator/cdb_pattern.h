#pragma once
// A CDB shape that a command of the emulated bridge answers to: fixed bytes
// and wildcard fields. Bytes not named are 0x00, as every bridge command
// sends them, so a stray byte makes the CDB match nothing.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "device/cdb.h"

namespace qfw::emu {

// Marks a byte that carries a field (address, length, mode ...).
inline constexpr int kAnyByte = -1;

class CdbPattern {
 public:
  // Leading bytes: values 0x00..0xFF or kAnyByte; the rest are 0x00.
  CdbPattern(std::initializer_list<int> leading);
  bool Matches(std::span<const std::uint8_t> cdb) const;

 private:
  std::array<int, kCdbLength> bytes_{};
};

}  // namespace qfw::emu
