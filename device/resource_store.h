#pragma once
// Read-only data carried inside the program (the embedded firmware images),
// looked up by type and name.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qfw {

class ResourceStore {
 public:
  virtual ~ResourceStore() = default;
  // The resource's bytes, valid for the life of the store; nothing when the
  // store holds no such resource.
  virtual std::optional<std::span<const std::uint8_t>> Find(std::string_view type, std::string_view name) const = 0;
};

// Holds nothing.
class EmptyResourceStore final : public ResourceStore {
 public:
  std::optional<std::span<const std::uint8_t>> Find(std::string_view, std::string_view) const override {
    return std::nullopt;
  }
};

}  // namespace qfw
