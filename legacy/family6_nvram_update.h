#pragma once
// The update of a family-6 controller (QRB621) that keeps the device's own
// first 4 KiB of flash, its NVRAM area, in front of the image for its
// revision. Status texts go to the window's status field without letting
// window events run; progress to its bar.

#include <cstdint>
#include <string>

#include "device/context.h"

namespace qfw {

inline constexpr std::uint32_t kNvramAreaSize = 4096;
// The unit of programming and of the blank check.
inline constexpr std::uint32_t kFamily6PageSize = 16384;
// What one sector erase clears on the family's flash.
inline constexpr std::uint32_t kFamily6EraseBlock = 32768;

// True when every page was written and read back equal. Shows no text on
// success, nor for a missing image, a refused erase, a flash that is not
// blank after it, or a page that reads back different.
bool Family6NvramUpdate(const Context& context, const std::string& path);

}  // namespace qfw
