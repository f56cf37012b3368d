#pragma once
// The firmware images of the older controllers, carried as resources of
// type "FW". This build carries none of them; a host may supply them
// through its resource store.

#include <cstdint>
#include <span>
#include <string_view>

#include "device/resource_store.h"

namespace qfw {

inline constexpr std::string_view kLegacyImageType = "FW";
// The default image of the serial-flash and parallel-ROM procedures.
inline constexpr std::string_view kDefaultImageName = "FW614";
// The family-6 images by revision.
inline constexpr std::string_view kFamily6ImageRevision1 = "FW621A";
inline constexpr std::string_view kFamily6ImageRevision2 = "FW621B";

// The status text when the default image is larger than the procedure can
// program.
inline constexpr std::string_view kImageTooLargeText = "Default Fw file too large!!";

// The image's bytes, used in place; empty when the store has no such image.
std::span<const std::uint8_t> FindLegacyImage(const ResourceStore& resources, std::string_view name);

}  // namespace qfw
