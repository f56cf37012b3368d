#pragma once
// Where things lie in the 64 KiB flash images of the supported families.

#include <cstdint>
#include <string_view>

namespace qfw {

inline constexpr std::uint32_t kFlashImageSize = 0x10000;

// Family 13.
inline constexpr std::uint32_t kCodeAreaSize13 = 0xC000;
inline constexpr std::uint32_t kMarkerOffset13 = 0xBFF0;   // 55 AA AA 55
inline constexpr std::uint32_t kTagOffset13 = 0xBFF4;      // e.g. "6421"
inline constexpr std::uint32_t kChecksumCovered13 = 0xBFFC; // bytes 0 .. 0xBFFB
inline constexpr std::uint32_t kChecksumOffset13 = 0xBFFE;  // high byte first
inline constexpr std::uint32_t kConfigOffset13 = 0xC000;
inline constexpr std::uint32_t kConfigSize13 = 256;
inline constexpr std::uint32_t kImageSize13 = 0xC100;
inline constexpr std::uint32_t kAlreadyUpdatedCompare13 = 0xBFFE;  // bytes 0 .. 0xBFFD

// Family 10.
inline constexpr std::uint32_t kConfigSize10 = 128;

inline constexpr std::string_view kResourceType13 = "QRS642";
inline constexpr std::string_view kResourceType10 = "QRS641";

}  // namespace qfw
