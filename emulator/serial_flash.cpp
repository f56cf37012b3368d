#include "emulator/serial_flash.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace qfw::emu {
namespace {

constexpr std::uint32_t kSmallestFlash = 4096;
constexpr std::uint32_t kLargestFlash = 1U << 24;

std::chrono::milliseconds EraseTime(EraseUnit unit) {
  switch (unit) {
    case EraseUnit::Sector:
    case EraseUnit::MappedSector: return FlashTiming::kSectorErase;
    case EraseUnit::Block: return FlashTiming::kBlockErase;
    case EraseUnit::Chip: return FlashTiming::kChipErase;
  }
  return FlashTiming::kChipErase;
}

std::chrono::milliseconds ProgramTime(std::size_t length) {
  const auto pages = (length + FlashTiming::kProgramPage - 1) / FlashTiming::kProgramPage;
  return FlashTiming::kProgramPerPage * static_cast<long>(pages);
}

}  // namespace

bool IsValidFlashSize(std::uint32_t size) {
  return size >= kSmallestFlash && size <= kLargestFlash && std::has_single_bit(size);
}

SerialFlash::SerialFlash(std::uint32_t size, EraseGeometry geometry, Clock& clock)
    : geometry_(geometry), clock_(clock) {
  if (!IsValidFlashSize(size)) {
    throw std::invalid_argument("flash size must be a power of two from 4096 to 16777216 bytes");
  }
  if (!IsValidGeometry(geometry)) {
    throw std::invalid_argument("erase units must be powers of two, the sector no larger than the block");
  }
  cells_.assign(size, kErasedByte);
}

bool SerialFlash::Busy() const { return stuckBusy_ || clock_.Now() < busyUntil_; }

void SerialFlash::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
  if (Busy()) {
    std::fill(out.begin(), out.end(), kErasedByte);
    return;
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = cells_[Wrap(std::uint64_t{address} + i)];
  }
}

bool SerialFlash::Program(std::uint32_t address, std::span<const std::uint8_t> data) {
  return EraseAndProgram(std::nullopt, address, data);
}

bool SerialFlash::Erase(EraseUnit unit, std::uint32_t address) {
  if (Busy()) {
    return false;
  }
  busyUntil_ = clock_.Now() + EraseNow(unit, address);
  return true;
}

bool SerialFlash::EraseAndProgram(std::optional<EraseUnit> unit, std::uint32_t address,
                                  std::span<const std::uint8_t> data) {
  if (Busy()) {
    return false;
  }
  std::chrono::milliseconds busy{0};
  if (unit) {
    busy += EraseNow(*unit, address);
  }
  busy += ProgramNow(address, data);
  busyUntil_ = clock_.Now() + busy;
  return true;
}

bool SerialFlash::ProgramAndWait(std::uint32_t address, std::span<const std::uint8_t> data) {
  if (Busy()) {
    return false;
  }
  (void)ProgramNow(address, data);
  return true;
}

void SerialFlash::Load(std::span<const std::uint8_t> contents) {
  if (contents.size() > cells_.size()) {
    throw std::invalid_argument("flash contents are larger than the flash");
  }
  std::fill(std::copy(contents.begin(), contents.end(), cells_.begin()), cells_.end(), kErasedByte);
}

FlashRegion SerialFlash::RegionOf(EraseUnit unit, std::uint32_t address) const {
  const std::size_t size = cells_.size();
  const std::size_t offset = Wrap(address);
  switch (unit) {
    case EraseUnit::Chip: return {.start = 0, .length = size};
    case EraseUnit::MappedSector: {
      const FlashRegion region = SectorEraseUnitAt(geometry_, offset);
      return {.start = region.start, .length = std::min(region.length, size - region.start)};
    }
    case EraseUnit::Sector:
    case EraseUnit::Block: break;
  }
  const std::uint32_t unitSize = unit == EraseUnit::Sector ? geometry_.sectorSize : geometry_.blockSize;
  const std::size_t length = std::min<std::size_t>(unitSize, size);
  return {.start = offset / length * length, .length = length};
}

std::chrono::milliseconds SerialFlash::EraseNow(EraseUnit unit, std::uint32_t address) {
  const FlashRegion region = RegionOf(unit, address);
  std::fill_n(cells_.begin() + static_cast<std::ptrdiff_t>(region.start), region.length, kErasedByte);
  return EraseTime(unit);
}

std::chrono::milliseconds SerialFlash::ProgramNow(std::uint32_t address, std::span<const std::uint8_t> data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    cells_[Wrap(std::uint64_t{address} + i)] &= data[i];
  }
  return ProgramTime(data.size());
}

}  // namespace qfw::emu
