#include "emulator/flash_geometry.h"

#include <array>
#include <bit>
#include <stdexcept>
#include <string>

namespace qfw::emu {
namespace {

// Erase units by flash kind: 0 Unknown, 1 PMC, 2 SST, 3 ST/EON/MXIC,
// 4 ATMEL, 5 MXIC, 6 WINBOND, 7 AMIC, 8 EON, 9 ESMT, 10 SANYO.
constexpr std::array<std::uint32_t, kMaxFlashKind + 1> kBlockSizeByKind = {
    32768, 32768, 32768, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536};
constexpr std::array<std::uint32_t, kMaxFlashKind + 1> kSectorSizeByKind = {
    4096, 4096, 4096, 32768, 32768, 4096, 4096, 4096, 32768, 4096, 4096};

constexpr std::uint32_t kSmallestUnit = 256;

bool ValidUnit(std::uint32_t size) { return size >= kSmallestUnit && std::has_single_bit(size); }

// Every unit a valid size that starts at a multiple of itself (then the
// repetitions of the last one do too).
bool ValidSectorMap(std::span<const std::uint32_t> units) {
  std::uint64_t start = 0;
  for (const std::uint32_t unit : units) {
    if (!ValidUnit(unit) || start % unit != 0) {
      return false;
    }
    start += unit;
  }
  return true;
}

}  // namespace

EraseGeometry GeometryOfKind(int kind) {
  if (kind < 0 || kind > kMaxFlashKind) {
    throw std::out_of_range("flash kind " + std::to_string(kind) + " has no geometry");
  }
  const auto index = static_cast<std::size_t>(kind);
  return EraseGeometry{.sectorSize = kSectorSizeByKind[index], .blockSize = kBlockSizeByKind[index]};
}

bool IsValidGeometry(const EraseGeometry& geometry) {
  return ValidUnit(geometry.sectorSize) && ValidUnit(geometry.blockSize) &&
         geometry.sectorSize <= geometry.blockSize && ValidSectorMap(geometry.sectorEraseUnits);
}

FlashRegion SectorEraseUnitAt(const EraseGeometry& geometry, std::size_t offset) {
  const std::span<const std::uint32_t> units = geometry.sectorEraseUnits;
  if (units.empty()) {
    return {.start = offset / geometry.sectorSize * geometry.sectorSize, .length = geometry.sectorSize};
  }
  std::size_t start = 0;
  for (const std::uint32_t unit : units) {
    if (offset < start + unit) {
      return {.start = start, .length = unit};
    }
    start += unit;
  }
  const std::size_t last = units.back();
  return {.start = start + (offset - start) / last * last, .length = last};
}

}  // namespace qfw::emu
