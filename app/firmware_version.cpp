#include "app/firmware_version.h"

#include <array>
#include <cstdio>

#include "device/command_codes.h"

namespace qfw {

std::string DefaultVersionText(std::uint8_t family) {
  switch (family) {
    case 0: return "00.00";
    case 1: case 2: case 4: return "02.00";
    default: return "01.00";
  }
}

std::string VersionTextFromChipInfo(std::span<const std::uint8_t, 16> info, std::uint32_t transferred) {
  if (info[0] != codes::kChipInfoMagic0 || info[1] != codes::kChipInfoMagic1) {
    return {};
  }
  std::array<char, 32> text{};
  if (transferred >= 13) {
    std::snprintf(text.data(), text.size(), "Ver %d.%.2d.%.2d", info[12], info[13], info[14]);
  } else {
    std::snprintf(text.data(), text.size(), "Ver %d.%.2d", info[6], info[7]);
  }
  return text.data();
}

}  // namespace qfw
