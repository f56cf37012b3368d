#include "emulator/parallel_rom.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "device/rom_sequences.h"
#include "emulator/serial_flash.h"

namespace qfw::emu {

bool IsValidRomType(int type) { return type >= 0 && static_cast<std::size_t>(type) < kRomTypes.size(); }

ParallelRom::ParallelRom(int type, Clock& clock) : type_(type), cells_(kRomSize, kErasedByte), clock_(clock) {
  if (!IsValidRomType(type)) {
    throw std::invalid_argument("unknown ROM type " + std::to_string(type));
  }
}

bool ParallelRom::Busy() const { return stuckBusy_ || clock_.Now() < busyUntil_; }

void ParallelRom::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
  if (Busy()) {
    std::fill(out.begin(), out.end(), kRomBusyRead);
    return;
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = cells_[(address + i) % kRomSize];
  }
}

bool ParallelRom::Execute(std::span<const std::uint8_t, kRomEraseSequenceSize> sequence) {
  const auto chipErase = RomEraseSequence(type_);
  if (Busy() || !std::equal(sequence.begin(), sequence.end(), chipErase.begin())) {
    return false;
  }
  std::fill(cells_.begin(), cells_.end(), kErasedByte);
  busyUntil_ = clock_.Now() + RomTiming::kChipErase;
  return true;
}

bool ParallelRom::Program(std::span<const std::uint8_t, kRomProgramSequenceSize> unlock, std::uint32_t address,
                          std::span<const std::uint8_t> data) {
  const auto byteProgram = RomProgramSequence(type_);
  if (Busy() || !std::equal(unlock.begin(), unlock.end(), byteProgram.begin())) {
    return false;
  }
  for (std::size_t i = 0; i < data.size(); ++i) {
    cells_[(address + i) % kRomSize] &= data[i];
  }
  const auto pages = (data.size() + RomTiming::kProgramPage - 1) / RomTiming::kProgramPage;
  busyUntil_ = clock_.Now() + RomTiming::kProgramPerPage * static_cast<long>(pages);
  return true;
}

void ParallelRom::Load(std::span<const std::uint8_t> contents) {
  if (contents.size() > cells_.size()) {
    throw std::invalid_argument("ROM contents are larger than the ROM");
  }
  std::fill(std::copy(contents.begin(), contents.end(), cells_.begin()), cells_.end(), kErasedByte);
}

}  // namespace qfw::emu
