#pragma once
// The 64 KiB parallel NOR flash ("ROM") of the older bridges that keep their
// firmware outside a serial flash. The bridge drives it with JEDEC command
// sequences handed over by the host; the chip acts only on the sequences of
// its own type (its unlock addresses).
//
// - Erased bytes read 0xFF; programming only clears bits (new = old AND data).
// - A chip erase and a program leave the chip busy for a while of the shared
//   virtual time (RomTiming). While busy, the status is 0x01, erase and
//   program are ignored, and reads return the chip's status output 0x00
//   (data bit 7 reads low until the operation is done) instead of data.
// - Addresses wrap at 64 KiB: the chip has 16 address lines.

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "device/clock.h"

namespace qfw::emu {

struct RomTiming {
  static constexpr std::chrono::milliseconds kChipErase{200};
  // Programming costs this much per started page of kProgramPage bytes.
  static constexpr std::chrono::milliseconds kProgramPerPage{1};
  static constexpr std::size_t kProgramPage = 256;
  // Bus time of one status exchange with the bridge: the host polls the
  // status back to back, and each poll takes this long.
  static constexpr std::chrono::milliseconds kStatusExchange{1};
};

inline constexpr std::uint32_t kRomSize = 0x10000;
inline constexpr std::uint8_t kRomStatusBusy = 0x01;
inline constexpr std::uint8_t kRomBusyRead = 0x00;
inline constexpr std::size_t kRomEraseSequenceSize = 18;
inline constexpr std::size_t kRomProgramSequenceSize = 9;

// The ROM types the bridge knows, as numbered in the developer panel.
bool IsValidRomType(int type);

class ParallelRom {
 public:
  // Starts blank. Throws std::invalid_argument for an unknown type.
  ParallelRom(int type, Clock& clock);

  int Type() const { return type_; }
  bool Busy() const;
  std::uint8_t Status() const { return Busy() ? kRomStatusBusy : 0x00; }

  // Fills out from address on; the status output while busy.
  void Read(std::uint32_t address, std::span<std::uint8_t> out) const;

  // Runs a command sequence (six addresses LE16, then six data bytes). Only
  // this chip's chip-erase sequence does something: the chip is erased.
  // Returns whether it erased.
  bool Execute(std::span<const std::uint8_t, kRomEraseSequenceSize> sequence);
  // Programs data from address on when the unlock sequence (three addresses
  // LE16, three data bytes) is this chip's byte-program sequence. Returns
  // whether it programmed.
  bool Program(std::span<const std::uint8_t, kRomProgramSequenceSize> unlock, std::uint32_t address,
               std::span<const std::uint8_t> data);

  // A chip that never finishes its operation.
  void SetStuckBusy(bool stuck) { stuckBusy_ = stuck; }

  // Direct access without timing, for set-up and inspection.
  std::span<const std::uint8_t> Contents() const { return cells_; }
  // Replaces the contents; bytes past the given ones are erased (0xFF).
  // Throws std::invalid_argument when contents is longer than the chip.
  void Load(std::span<const std::uint8_t> contents);

 private:
  int type_;
  std::vector<std::uint8_t> cells_;
  Clock& clock_;
  std::chrono::milliseconds busyUntil_{0};
  bool stuckBusy_ = false;
};

}  // namespace qfw::emu
