#pragma once
// Device-change event codes as the window's rescan judges them, and how the
// platform's hot-plug events map onto them.

#include <cstdint>

namespace qfw {

inline constexpr std::uint32_t kDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDeviceNodesChanged = 0x0007;
inline constexpr std::uint32_t kConfigChanged = 0x0018;

}  // namespace qfw
