#pragma once
// A NOR serial flash chip as the bridge controller drives it.
//
// - Erased bytes read 0xFF; programming only clears bits (new = old AND data).
// - Erase works on the chip's own geometry: the sector or block that contains
//   the address, the unit of the sector-erase map, or the whole chip.
// - Every erase or program leaves the chip busy for a while of the shared
//   virtual time (FlashTiming). While busy, the status byte has bit 0 set,
//   erase and program instructions are ignored (as a real chip ignores them
//   during write-in-progress) and reads return 0xFF bytes.
// - Addresses wrap at the flash size: the chip decodes only as many address
//   bits as it needs, so byte i of an access goes to (address + i) mod size.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/clock.h"
#include "emulator/flash_geometry.h"

namespace qfw::emu {

// How long the chip stays busy after each operation. The one place these
// times live; docs/emulator.md lists them.
struct FlashTiming {
  static constexpr std::chrono::milliseconds kChipErase{400};
  static constexpr std::chrono::milliseconds kBlockErase{150};
  static constexpr std::chrono::milliseconds kSectorErase{40};
  // Programming costs this much per started page of kProgramPage bytes.
  static constexpr std::chrono::milliseconds kProgramPerPage{1};
  static constexpr std::size_t kProgramPage = 256;
};

// Sector and Block: the uniform units of the block write's modes.
// MappedSector: the unit of the sector-erase map (FF 04 14).
enum class EraseUnit { Sector, Block, MappedSector, Chip };

inline constexpr std::uint8_t kStatusBusy = 0x01;
inline constexpr std::uint8_t kErasedByte = 0xFF;

// A flash size must be a power of two from 4 KiB to 16 MiB (24-bit addresses).
bool IsValidFlashSize(std::uint32_t size);

class SerialFlash {
 public:
  // Starts blank (all 0xFF). Throws std::invalid_argument for a size or
  // geometry that no chip has.
  SerialFlash(std::uint32_t size, EraseGeometry geometry, Clock& clock);

  std::uint32_t Size() const { return static_cast<std::uint32_t>(cells_.size()); }
  EraseGeometry Geometry() const { return geometry_; }

  bool Busy() const;
  std::uint8_t Status() const { return Busy() ? kStatusBusy : 0x00; }

  // Fills out from address on; 0xFF bytes while busy.
  void Read(std::uint32_t address, std::span<std::uint8_t> out) const;

  // Each returns false, changing nothing, when the chip is busy.
  bool Program(std::uint32_t address, std::span<const std::uint8_t> data);
  bool Erase(EraseUnit unit, std::uint32_t address);
  // One controller-driven sequence: erase (when given), wait, program. The
  // busy time is the sum of both.
  bool EraseAndProgram(std::optional<EraseUnit> unit, std::uint32_t address, std::span<const std::uint8_t> data);
  // Programs as a controller that sends the data page by page and waits for
  // the chip after each page: the chip is ready again when the call returns.
  bool ProgramAndWait(std::uint32_t address, std::span<const std::uint8_t> data);

  // A chip that never leaves write-in-progress.
  void SetStuckBusy(bool stuck) { stuckBusy_ = stuck; }

  // Direct access without timing, for set-up and inspection.
  std::span<const std::uint8_t> Contents() const { return cells_; }
  // Replaces the contents; bytes past the given ones are erased (0xFF).
  // Throws std::invalid_argument when contents is longer than the chip.
  void Load(std::span<const std::uint8_t> contents);

 private:
  FlashRegion RegionOf(EraseUnit unit, std::uint32_t address) const;
  std::chrono::milliseconds EraseNow(EraseUnit unit, std::uint32_t address);
  std::chrono::milliseconds ProgramNow(std::uint32_t address, std::span<const std::uint8_t> data);
  std::size_t Wrap(std::uint64_t address) const { return static_cast<std::size_t>(address % cells_.size()); }

  std::vector<std::uint8_t> cells_;
  EraseGeometry geometry_;
  Clock& clock_;
  std::chrono::milliseconds busyUntil_{0};
  bool stuckBusy_ = false;
};

}  // namespace qfw::emu
