#include "resources/family13_image.h"

namespace qfw {

std::optional<std::vector<std::uint8_t>> Family13ImageCopy() {
  const auto bytes = Family13ImageBytes();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace qfw
