#include "resources/embedded_resources.h"

#include <algorithm>
#include <array>

#include "resources/family13_image.h"

namespace qfw {
namespace {

struct Entry {
  std::string_view type;
  std::string_view name;
  std::span<const std::uint8_t> (*bytes)();
};

constexpr std::array<Entry, 1> kEntries{{
    {"QRS642", "FW6701", &Family13ImageBytes},
}};

}  // namespace

std::optional<std::span<const std::uint8_t>> EmbeddedResources::Find(std::string_view type,
                                                                     std::string_view name) const {
  const auto it = std::ranges::find_if(kEntries, [&](const Entry& e) { return e.type == type && e.name == name; });
  if (it == kEntries.end()) return std::nullopt;
  return it->bytes();
}

}  // namespace qfw
