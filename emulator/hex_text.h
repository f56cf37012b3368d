#pragma once
// Numbers and byte strings as scenario files write them.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qfw::emu {

// "EF 30 10 00", "ef301000" or "EF30 1000": hex digit pairs, white space
// anywhere between pairs. nullopt for any other character or an odd digit.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

// "0x1F" or "1F" (always hexadecimal); nullopt when not a hex number or
// above 0xFFFFFFFF.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text);

// "0x1F" (hexadecimal) or "31" (decimal); nullopt otherwise.
std::optional<std::uint32_t> ParseNumberText(std::string_view text);

}  // namespace qfw::emu
