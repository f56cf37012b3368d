// Serial-flash commands of the emulated bridge: the DF block read and write
// with their write modes, and the older FF 04 read, program, status and
// erase primitives.

#include "device/bytes.h"
#include "device/command_codes.h"
#include "emulator/emulated_bridge.h"

namespace qfw::emu {
namespace {

std::uint32_t BlockLength(const Cdb& cdb) { return GetBe16(std::span(cdb).subspan<3, 2>()); }
std::uint32_t BlockAddress(const Cdb& cdb) { return GetBe24(std::span(cdb).subspan<8, 3>()); }
std::uint32_t VendorAddress(const Cdb& cdb) { return GetBe24(std::span(cdb).subspan<3, 3>()); }

// What the block write erases before it programs, by the mode in bits 0-2
// of CDB byte 1 (bit 7 is accepted and changes nothing):
//   0        program only
//   1, 4     the sector that contains the chunk's address
//   2, 5     the block that contains the chunk's address
//   3, 6, 7  the whole chip when the chunk starts at address 0, else nothing
std::optional<EraseUnit> EraseForMode(std::uint8_t modeByte, std::uint32_t address) {
  switch (modeByte & 0x07) {
    case 1:
    case 4: return EraseUnit::Sector;
    case 2:
    case 5: return EraseUnit::Block;
    case 3:
    case 6:
    case 7: return address == 0 ? std::optional(EraseUnit::Chip) : std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace

ScsiResult EmulatedBridge::ReadFlashBlock(const Exchange& x) {
  if (BlockLength(x.cdb) != x.dataIn.size()) {
    return Malformed("block read length differs from the data phase");
  }
  const std::uint32_t address = BlockAddress(x.cdb);
  flash_.Read(address, x.dataIn);
  ApplyFlips(address, x.dataIn);
  return Completed(x.dataIn.size());
}

ScsiResult EmulatedBridge::WriteFlashBlock(const Exchange& x) {
  if (BlockLength(x.cdb) != x.dataOut.size()) {
    return Malformed("block write length differs from the data phase");
  }
  const std::uint32_t address = BlockAddress(x.cdb);
  // A busy chip ignores the whole sequence; the command still completes.
  (void)flash_.EraseAndProgram(EraseForMode(x.cdb[1], address), address, x.dataOut);
  return Completed(x.dataOut.size());
}

ScsiResult EmulatedBridge::FlashRead(const Exchange& x) {
  const std::uint32_t address = VendorAddress(x.cdb);
  flash_.Read(address, x.dataIn);
  ApplyFlips(address, x.dataIn);
  return Completed(x.dataIn.size());
}

// The controller programs the data page by page and waits for the chip after
// each page, so the chip is ready when the command completes; a chip that is
// busy when the command arrives (an erase still running) ignores it.
ScsiResult EmulatedBridge::FlashWrite(const Exchange& x) {
  (void)flash_.ProgramAndWait(VendorAddress(x.cdb), x.dataOut);
  return Completed(x.dataOut.size());
}

ScsiResult EmulatedBridge::FlashStatus(const Exchange& x) {
  const std::array<std::uint8_t, 1> status{flash_.Status()};
  return Answer(x.dataIn, status);
}

ScsiResult EmulatedBridge::FlashChipErase(const Exchange&) {
  (void)flash_.Erase(EraseUnit::Chip, 0);
  return Completed(0);
}

// Erases the unit of the chip's sector-erase map that holds the address.
ScsiResult EmulatedBridge::FlashSectorErase(const Exchange& x) {
  (void)flash_.Erase(EraseUnit::MappedSector, VendorAddress(x.cdb));
  return Completed(0);
}

}  // namespace qfw::emu
