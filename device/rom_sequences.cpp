#include "device/rom_sequences.h"

#include "device/bytes.h"

namespace qfw {
namespace {

// Lays out cycles as all addresses (LE16) followed by all data bytes.
template <std::size_t N>
std::array<std::uint8_t, 3 * N> Encode(const std::array<BusCycle, N>& cycles, int romType) {
  std::array<std::uint8_t, 3 * N> out{};
  if (romType < 0 || static_cast<std::size_t>(romType) >= kRomTypes.size()) {
    return out;
  }
  const RomType& type = kRomTypes[static_cast<std::size_t>(romType)];
  for (std::size_t i = 0; i < N; ++i) {
    const std::uint16_t address =
        cycles[i].slot == UnlockSlot::First ? type.unlockAddress1 : type.unlockAddress2;
    PutLe16(std::span(out).subspan(2 * i).template first<2>(), address);
    out[2 * N + i] = cycles[i].data;
  }
  return out;
}

}  // namespace

std::array<std::uint8_t, 9> RomProgramSequence(int romType) {
  return Encode(kByteProgramCycles, romType);
}

std::array<std::uint8_t, 18> RomEraseSequence(int romType) {
  return Encode(kChipEraseCycles, romType);
}

}  // namespace qfw
