#pragma once
// The erase units of an emulated serial flash chip. A chip erases by its own
// geometry, whatever the host believes it to be; the defaults follow the
// flash kind numbering the controller reports (0..10).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qfw::emu {

struct EraseGeometry {
  std::uint32_t sectorSize = 4096;
  std::uint32_t blockSize = 65536;
  // What the sector-erase command FF 04 14 erases: unit sizes from address
  // 0, the last one repeating to the end of the chip, e.g. the boot sectors
  // 4K 4K 8K 16K 32K of a bottom-boot part. Empty: the sector above. The
  // controller chooses the instruction it sends for this command, so the
  // unit can differ from the sector that the block write's modes erase.
  std::vector<std::uint32_t> sectorEraseUnits;
};

// A stretch of the chip: [start, start + length).
struct FlashRegion {
  std::size_t start = 0;
  std::size_t length = 0;
};

inline constexpr int kMaxFlashKind = 10;

// The geometry of a chip of the given kind; throws std::out_of_range outside
// 0..kMaxFlashKind.
EraseGeometry GeometryOfKind(int kind);

// A unit size must be a power of two of at least 256 bytes, the sector no
// larger than the block; every sector-erase unit starts at a multiple of its
// own size.
bool IsValidGeometry(const EraseGeometry& geometry);

// The unit of the sector-erase map that holds offset.
FlashRegion SectorEraseUnitAt(const EraseGeometry& geometry, std::size_t offset);

}  // namespace qfw::emu
