#pragma once
// The resources this build carries: the family-13 image, type "QRS642",
// name "FW6701". No family-10 image and no legacy "FW" images.

#include "device/resource_store.h"

namespace qfw {

class EmbeddedResources final : public ResourceStore {
 public:
  std::optional<std::span<const std::uint8_t>> Find(std::string_view type, std::string_view name) const override;
};

}  // namespace qfw
