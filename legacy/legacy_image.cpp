#include "legacy/legacy_image.h"

namespace qfw {

std::span<const std::uint8_t> FindLegacyImage(const ResourceStore& resources, std::string_view name) {
  return resources.Find(kLegacyImageType, name).value_or(std::span<const std::uint8_t>{});
}

}  // namespace qfw
