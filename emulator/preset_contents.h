#pragma once
// What the memories of the older presets hold when they come: an older
// firmware, which a procedure has to erase before it programs, and on
// family 6 the device's own NVRAM area in front of it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qfw::emu {

inline constexpr std::size_t kNvramSize = 4096;

// size bytes of an older firmware: a pattern without a single 0xFF byte, so
// that no part of it passes for erased.
std::vector<std::uint8_t> OlderFirmware(std::size_t size);

// The kNvramSize bytes of a family-6 device's NVRAM area: a pattern of its
// own, different from the older firmware's bytes at the same addresses.
std::vector<std::uint8_t> NvramArea();

// size bytes: the NVRAM area, then the older firmware from kNvramSize on.
std::vector<std::uint8_t> NvramAndFirmware(std::size_t size);

}  // namespace qfw::emu
