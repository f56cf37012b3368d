#include "emulator/hex_text.h"

#include <cctype>
#include <charconv>

namespace qfw::emu {
namespace {

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower >= 'a' && lower <= 'f') {
    return lower - 'a' + 10;
  }
  return std::nullopt;
}

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::optional<std::uint32_t> ParseWhole(std::string_view text, int base) {
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc{} || stop != end) {
    return std::nullopt;
  }
  return value;
}

bool HasHexPrefix(std::string_view text) { return text.starts_with("0x") || text.starts_with("0X"); }

}  // namespace

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::optional<int> high;
  for (const char c : text) {
    if (IsSpace(c)) {
      if (high) {
        return std::nullopt;  // a space inside a pair
      }
      continue;
    }
    const auto digit = HexDigit(c);
    if (!digit) {
      return std::nullopt;
    }
    if (high) {
      bytes.push_back(static_cast<std::uint8_t>(*high * 16 + *digit));
      high.reset();
    } else {
      high = digit;
    }
  }
  if (high) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view text) {
  return ParseWhole(HasHexPrefix(text) ? text.substr(2) : text, 16);
}

std::optional<std::uint32_t> ParseNumberText(std::string_view text) {
  return HasHexPrefix(text) ? ParseWhole(text.substr(2), 16) : ParseWhole(text, 10);
}

}  // namespace qfw::emu
