#pragma once
// The resources of the program with the family-13 image replaced by one the
// user supplied: whatever name FindEmbeddedImage asks for under "QRS642"
// gets that image, so the already-updated check, the update and the check
// after the re-attach all use it. Other types come from the program's own
// resources.

#include <cstdint>
#include <vector>

#include "device/resource_store.h"

namespace qfw::cli {

class ImageOverrideResources final : public ResourceStore {
 public:
  ImageOverrideResources(const ResourceStore& fallback, std::vector<std::uint8_t> image13)
      : fallback_(fallback), image13_(std::move(image13)) {}

  std::optional<std::span<const std::uint8_t>> Find(std::string_view type, std::string_view name) const override;

 private:
  const ResourceStore& fallback_;
  const std::vector<std::uint8_t> image13_;
};

}  // namespace qfw::cli
