#include "app/cli/image_override_resources.h"

#include "flash/image_layout.h"

namespace qfw::cli {

std::optional<std::span<const std::uint8_t>> ImageOverrideResources::Find(std::string_view type,
                                                                          std::string_view name) const {
  if (type == kResourceType13) return std::span<const std::uint8_t>(image13_);
  return fallback_.Find(type, name);
}

}  // namespace qfw::cli
