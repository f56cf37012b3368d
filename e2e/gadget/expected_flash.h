#pragma once
// What the flash of a blank QRS642 holds after a successful update: the
// embedded family-13 image (code area, marker, tag, checksum and its own
// configuration block, taken whole because a blank device has no block of
// its own to keep), then zeros to the end of the 64 KiB.

#include <cstdint>
#include <vector>

namespace qfw::e2e {

std::vector<std::uint8_t> ExpectedFamily13Flash();

}  // namespace qfw::e2e
