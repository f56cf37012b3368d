// Parallel-ROM commands of the emulated bridge. The host hands over the
// JEDEC command sequences of the ROM type it believes in; the ROM acts only
// on the sequences of its own type.
//
// The controller fetches its code from the external ROM until
// CmdSwitchInternalRom makes it run from internal ROM (an A1 chip does so
// from the start). Before the switch it must not write the ROM it runs
// from: execute and program complete and change nothing. Status and reads
// work either way. A reset or a power cycle switches back.
//
// CmdRomProgram carries no address: every program command writes its data
// phase from ROM address 0, so an image goes to the ROM in one command.

#include <algorithm>

#include "device/bytes.h"
#include "emulator/emulated_bridge.h"

namespace qfw::emu {
namespace {

constexpr std::uint32_t kRomProgramStart = 0;

}  // namespace

// A status exchange takes bus time: the host polls back to back, and the
// ROM's busy time passes while it does.
ScsiResult EmulatedBridge::RomStatus(const Exchange& x) {
  const std::array<std::uint8_t, 1> status{rom_->Status()};
  clock_.Sleep(RomTiming::kStatusExchange);
  return Answer(x.dataIn, status);
}

ScsiResult EmulatedBridge::RomExecute(const Exchange&) {
  if (runsFromInternalRom_ && romSequence_) {
    (void)rom_->Execute(*romSequence_);
  }
  return Completed(0);
}

ScsiResult EmulatedBridge::RomProgram(const Exchange& x) {
  if (runsFromInternalRom_) {
    const auto unlock = std::span(x.cdb).subspan<3, kRomProgramSequenceSize>();
    (void)rom_->Program(unlock, kRomProgramStart, x.dataOut);
  }
  return Completed(x.dataOut.size());
}

ScsiResult EmulatedBridge::RomRead(const Exchange& x) {
  rom_->Read(GetLe32(std::span(x.cdb).subspan<3, 4>()), x.dataIn);
  return Completed(x.dataIn.size());
}

ScsiResult EmulatedBridge::RomLoadSequence(const Exchange& x) {
  if (x.dataOut.size() != kRomEraseSequenceSize) {
    return Malformed("a ROM command sequence has 18 bytes");
  }
  romSequence_.emplace();
  std::copy(x.dataOut.begin(), x.dataOut.end(), romSequence_->begin());
  return Completed(x.dataOut.size());
}

ScsiResult EmulatedBridge::SwitchInternalRom(const Exchange&) {
  ++internalRomSwitches_;
  runsFromInternalRom_ = true;
  return Completed(0);
}

}  // namespace qfw::emu
