#pragma once
// The bytes of the embedded family-13 image, for the resource store and for
// emulated devices that start out holding it. The definition is generated at
// build time (resources/image_generator.cpp).

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qfw {

// 49,408 bytes, valid for the life of the program.
std::span<const std::uint8_t> Family13ImageBytes();

// A copy of those bytes, in the form emulated scenarios ask for the image.
std::optional<std::vector<std::uint8_t>> Family13ImageCopy();

}  // namespace qfw
