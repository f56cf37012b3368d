#pragma once
// The firmware images the program carries, chosen by the version the
// controller reports, and the already-updated check.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "device/context.h"

namespace qfw {

// The resource name of the image for this device ("FW6701"); empty when the
// chip information cannot be read. Resources come from context.host.resources.
std::string FindEmbeddedImage(const Context& context, const std::string& path, bool family13);

// Copies bytes of the device's image from offset (length 0: to the end) into
// destination, never more than destination holds. Returns the whole image's
// size, or 0 when there is no image.
std::size_t LoadEmbeddedImage(const Context& context, const std::string& path, std::span<std::uint8_t> destination,
                              std::size_t offset, std::size_t length, bool family13);

// True when the block ends with the signature "QR".
bool HasConfigSignature(std::span<const std::uint8_t> block);

// True when the device's flash already holds the embedded image.
bool IsAlreadyUpdated(const Context& context, const std::string& path);

}  // namespace qfw
