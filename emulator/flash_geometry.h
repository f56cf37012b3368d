#pragma once
// The erase units of an emulated serial flash chip. A chip erases by its own
// geometry, whatever the host believes it to be; the defaults follow the
// flash kind numbering the controller reports (0..10).

#include <cstdint>

namespace qfw::emu {

struct EraseGeometry {
  std::uint32_t sectorSize = 4096;
  std::uint32_t blockSize = 65536;
};

inline constexpr int kMaxFlashKind = 10;

// The geometry of a chip of the given kind; throws std::out_of_range outside
// 0..kMaxFlashKind.
EraseGeometry GeometryOfKind(int kind);

// A unit size must be a power of two of at least 256 bytes, the sector no
// larger than the block.
bool IsValidGeometry(const EraseGeometry& geometry);

}  // namespace qfw::emu
