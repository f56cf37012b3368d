#pragma once
// The JEDEC command sequences of the parallel NOR ROMs that older bridges
// carry, and the unlock addresses of each supported ROM type.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace qfw {

struct RomType {
  std::string_view name;
  std::uint16_t unlockAddress1;  // receives 0xAA
  std::uint16_t unlockAddress2;  // receives 0x55
};

// Indexed by the ROM type chosen in the developer panel.
inline constexpr std::array<RomType, 3> kRomTypes{{
    {"ATMELAT 49BV512", 0x5555, 0x2AAA},
    {"PMC OM39LV512", 0x0555, 0x02AA},
    {"SST SST39LF512", 0x5555, 0x2AAA},
}};

// One bus cycle of a command sequence; the address is a symbolic unlock slot.
enum class UnlockSlot : std::uint8_t { First, Second };
struct BusCycle {
  UnlockSlot slot;
  std::uint8_t data;
};

inline constexpr std::array<BusCycle, 3> kByteProgramCycles{{
    {UnlockSlot::First, 0xAA}, {UnlockSlot::Second, 0x55}, {UnlockSlot::First, 0xA0}}};
inline constexpr std::array<BusCycle, 6> kChipEraseCycles{{
    {UnlockSlot::First, 0xAA}, {UnlockSlot::Second, 0x55}, {UnlockSlot::First, 0x80},
    {UnlockSlot::First, 0xAA}, {UnlockSlot::Second, 0x55}, {UnlockSlot::First, 0x10}}};

// The byte-program sequence as sent in CDB bytes 3..11: three 16-bit
// addresses least significant byte first, then the three data bytes. All
// zero for an unknown ROM type.
std::array<std::uint8_t, 9> RomProgramSequence(int romType);

// The chip-erase sequence as sent in the data phase: six addresses, then six
// data bytes. All zero for an unknown ROM type.
std::array<std::uint8_t, 18> RomEraseSequence(int romType);

}  // namespace qfw
