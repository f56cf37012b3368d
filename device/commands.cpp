#include "device/commands.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "device/bytes.h"
#include "device/cdb.h"
#include "device/command_codes.h"
#include "device/rom_sequences.h"

namespace qfw {
namespace {

using namespace codes;

// A CDB whose leading bytes are given and the rest zero.
Cdb MakeCdb(std::initializer_list<std::uint8_t> leading) {
  Cdb cdb{};
  std::copy(leading.begin(), leading.end(), cdb.begin());
  return cdb;
}

Cdb VendorCdb(std::uint8_t subCommand) { return MakeCdb({kVendorOpcode, kVendorGroup, subCommand}); }

// FF 04 sub A2 A1 A0.
Cdb FlashAddressCdb(std::uint8_t subCommand, std::uint32_t address) {
  Cdb cdb = VendorCdb(subCommand);
  PutBe24(std::span(cdb).subspan<3, 3>(), address);
  return cdb;
}

// DF flags 00 L1 L0 ... function.
Cdb BlockCdb(std::uint8_t flags, std::size_t length, std::uint8_t function) {
  Cdb cdb = MakeCdb({kBlockOpcode, flags});
  PutBe16(std::span(cdb).subspan<3, 2>(), static_cast<std::uint32_t>(length));
  cdb[11] = function;
  return cdb;
}

Cdb ModeCdb(std::uint8_t mode) {
  return MakeCdb({kVendorOpcode, kVendorGroup, kSignature0, kSignature1, mode});
}

bool In(Transport& t, const std::string& path, const Cdb& cdb, std::span<std::uint8_t> data = {}) {
  return t.SendCommandIn(path, cdb, data).ok;
}

// A memory read counts only when every asked byte came back: a device that
// completes the command without data (a plain disk answering CHECK
// CONDITION) would otherwise "read" the zeros the buffer started with.
bool ReadIn(Transport& t, const std::string& path, const Cdb& cdb, std::span<std::uint8_t> data) {
  const TransferResult result = t.SendCommandIn(path, cdb, data);
  return result.ok && result.transferred.value_or(0) >= data.size();
}

bool Out(Transport& t, const std::string& path, const Cdb& cdb, std::span<const std::uint8_t> data = {}) {
  return t.SendCommandOut(path, cdb, data).ok;
}

}  // namespace

bool CmdRomStatus(Transport& t, const std::string& path) {
  std::uint8_t status = 0;
  if (!In(t, path, VendorCdb(kRomStatus), std::span(&status, 1))) {
    return true;
  }
  return status == 0x01;
}

bool CmdRomExecute(Transport& t, const std::string& path) { return Out(t, path, VendorCdb(kRomExecute)); }

bool CmdRomProgram(Transport& t, const std::string& path, std::span<const std::uint8_t> data, int romType) {
  Cdb cdb = VendorCdb(kRomProgram);
  const auto sequence = RomProgramSequence(romType);
  std::copy(sequence.begin(), sequence.end(), cdb.begin() + 3);
  return Out(t, path, cdb, data);
}

bool CmdRomRead(Transport& t, const std::string& path, std::uint32_t romAddress, std::span<std::uint8_t> buffer) {
  Cdb cdb = VendorCdb(kRomRead);
  PutLe32(std::span(cdb).subspan<3, 4>(), romAddress);
  return ReadIn(t, path, cdb, buffer);
}

bool CmdRomLoadSequence(Transport& t, const std::string& path, int romType) {
  const auto sequence = RomEraseSequence(romType);
  return Out(t, path, VendorCdb(kRomLoadSequence), sequence);
}

bool CmdSwitchInternalRom(Transport& t, const std::string& path) {
  return Out(t, path, VendorCdb(kSwitchInternalRom));
}

bool CmdFlashRead(Transport& t, const std::string& path, std::uint32_t address, std::span<std::uint8_t> buffer) {
  return ReadIn(t, path, FlashAddressCdb(kFlashRead, address), buffer);
}

bool CmdFlashWrite(Transport& t, const std::string& path, std::uint32_t address,
                   std::span<const std::uint8_t> data) {
  return Out(t, path, FlashAddressCdb(kFlashWrite, address), data);
}

bool CmdFlashStatus(Transport& t, const std::string& path, std::uint8_t& status) {
  return In(t, path, VendorCdb(kFlashStatus), std::span(&status, 1));
}

bool CmdFlashChipErase(Transport& t, const std::string& path) { return Out(t, path, VendorCdb(kFlashChipErase)); }

bool CmdFlashSectorErase(Transport& t, const std::string& path, std::uint32_t address) {
  return Out(t, path, FlashAddressCdb(kFlashSectorErase, address));
}

bool CmdSpiReadId3(Transport& t, const std::string& path, std::span<std::uint8_t, 3> buffer, std::uint8_t opcode,
                   bool flag) {
  const Cdb cdb = MakeCdb({kVendorOpcode, kVendorGroup, kSpiReadId3, 0x03, opcode,
                           static_cast<std::uint8_t>(flag ? 0x03 : 0x00)});
  return In(t, path, cdb, buffer);
}

bool CmdSpiCommand(Transport& t, const std::string& path, std::uint8_t opcode) {
  return In(t, path, MakeCdb({kVendorOpcode, kVendorGroup, kSpiCommand, 0x01, 0x01, opcode}));
}

bool CmdSpiResponse(Transport& t, const std::string& path, std::span<std::uint8_t> buffer) {
  return In(t, path, VendorCdb(kSpiResponse), buffer);
}

bool CmdReadFlashKind(Transport& t, const std::string& path, std::span<std::uint8_t, 4> buffer) {
  return In(t, path, MakeCdb({kVendorOpcode, kVendorGroup, kReadFlashKind, 0x04}), buffer);
}

bool CmdPrepareFlash(Transport& t, const std::string& path) { return Out(t, path, VendorCdb(kPrepareFlash)); }

bool CmdDeviceReset(Transport& t, const std::string& path) {
  return In(t, path, MakeCdb({kVendorOpcode, kVendorGroup, kDeviceReset, kSignature0, kSignature1}));
}

bool CmdReadChipCode(Transport& t, const std::string& path, std::span<std::uint8_t> buffer) {
  if (buffer.size() < 8) {
    throw std::invalid_argument("CmdReadChipCode: length >= 0x08");
  }
  return In(t, path, MakeCdb({kVendorOpcode, kVendorGroup, kReadChipCode, 0x08}), buffer);
}

bool CmdModeEnter(Transport& t, const std::string& path) { return Out(t, path, ModeCdb(kModeEnter)); }

bool CmdModeLeave(Transport& t, const std::string& path) { return Out(t, path, ModeCdb(kModeLeave)); }

TransferResult CmdReadIdentify(Transport& t, const std::string& path, std::span<std::uint8_t, 2> buffer) {
  return t.SendCommandIn(path, BlockCdb(kBlockReadFlags, buffer.size(), kIdentify), buffer);
}

bool CmdReadMemory(Transport& t, const std::string& path, std::span<std::uint8_t> buffer, std::uint32_t address) {
  Cdb cdb = BlockCdb(kBlockReadFlags, buffer.size(), kReadMemory);
  PutBe16(std::span(cdb).subspan<6, 2>(), address);
  return In(t, path, cdb, buffer);
}

TransferResult CmdReadFlashBlock(Transport& t, const std::string& path, std::uint32_t address,
                                 std::span<std::uint8_t> buffer) {
  Cdb cdb = BlockCdb(kBlockReadFlags, buffer.size(), kReadFlashBlock);
  PutBe24(std::span(cdb).subspan<8, 3>(), address);
  return t.SendCommandIn(path, cdb, buffer);
}

bool CmdWriteFlashBlock(Transport& t, const std::string& path, std::uint32_t address,
                        std::span<const std::uint8_t> data, std::uint8_t writeMode) {
  Cdb cdb = BlockCdb(static_cast<std::uint8_t>(writeMode & kWriteModeMask), data.size(), kWriteFlashBlock);
  PutBe24(std::span(cdb).subspan<8, 3>(), address);
  return Out(t, path, cdb, data);
}

TransferResult CmdReadChipInfo(Transport& t, const std::string& path, std::span<std::uint8_t> buffer) {
  return t.SendCommandIn(path, MakeCdb({kChipInfoOpcode, kChipInfoMagic0, kChipInfoMagic1}), buffer);
}

bool Inquiry(Transport& t, const std::string& path, std::span<std::uint8_t> buffer) {
  Cdb cdb = MakeCdb({kInquiryOpcode});
  cdb[4] = static_cast<std::uint8_t>(buffer.size());
  return In(t, path, cdb, buffer);
}

}  // namespace qfw
