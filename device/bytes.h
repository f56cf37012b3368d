#pragma once
// Byte-order helpers for command blocks and answers.

#include <cstdint>
#include <span>
#include <string>

namespace qfw {

// Stores the low 16 bits of value most significant byte first.
inline void PutBe16(std::span<std::uint8_t, 2> out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 8);
  out[1] = static_cast<std::uint8_t>(value);
}

// Stores the low 24 bits of value most significant byte first.
inline void PutBe24(std::span<std::uint8_t, 3> out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 16);
  out[1] = static_cast<std::uint8_t>(value >> 8);
  out[2] = static_cast<std::uint8_t>(value);
}

// Stores the low 16 bits of value least significant byte first.
inline void PutLe16(std::span<std::uint8_t, 2> out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value);
  out[1] = static_cast<std::uint8_t>(value >> 8);
}

// Stores value least significant byte first.
inline void PutLe32(std::span<std::uint8_t, 4> out, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

inline std::uint32_t GetBe16(std::span<const std::uint8_t, 2> in) {
  return (std::uint32_t{in[0]} << 8) | in[1];
}

inline std::uint32_t GetBe24(std::span<const std::uint8_t, 3> in) {
  return (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
}

inline std::uint32_t GetLe32(std::span<const std::uint8_t, 4> in) {
  return std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
         (std::uint32_t{in[3]} << 24);
}

// Lower-case hexadecimal bytes separated by single spaces ("ff 04 10").
std::string HexBytes(std::span<const std::uint8_t> bytes);

}  // namespace qfw
