#pragma once
// One emulated device behind a device path: a bridge controller with its
// serial flash (and, on the older bridges, a parallel ROM), or a plain disk. Handle() takes one pass-through request as
// the device would see it (after the open) and answers it.
//
// Commands are decoded by CDB shape from a table of routes; a CDB that
// matches no route the device supports completes like a SCSI CHECK
// CONDITION: completed, nothing transferred, data untouched. That is what
// the host's transport reports, since it never looks at the SCSI status.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/cdb.h"
#include "device/clock.h"
#include "device/pass_through.h"
#include "emulator/cdb_pattern.h"
#include "emulator/command_log.h"
#include "emulator/device_config.h"
#include "emulator/parallel_rom.h"
#include "emulator/serial_flash.h"

namespace qfw::emu {

class EmulatedBridge {
 public:
  EmulatedBridge(DeviceConfig config, Clock& clock);
  EmulatedBridge(const EmulatedBridge&) = delete;
  EmulatedBridge& operator=(const EmulatedBridge&) = delete;

  // Opens (the open checks below), handles and logs one request arriving
  // through the device's primary interface, or through the interface of the
  // given class.
  ScsiResult Handle(const ScsiRequest& request);
  ScsiResult Handle(const ScsiRequest& request, InterfaceClass via);

  const DeviceConfig& Config() const { return config_; }
  // Attached, not vanished and not in the middle of a reset.
  bool Present() const;
  // Grows by one every time the device detaches (reset, unplug, vanish).
  unsigned DetachCount() const { return detachCount_; }

  SerialFlash& Flash() { return flash_; }
  const SerialFlash& Flash() const { return flash_; }
  std::span<const std::uint8_t> Memory() const { return memory_; }
  // The parallel ROM, or nullptr for a device without one.
  ParallelRom* Rom() { return rom_ ? &*rom_ : nullptr; }
  const ParallelRom* Rom() const { return rom_ ? &*rom_ : nullptr; }

  bool InMode() const { return inMode_; }
  int PrepareCount() const { return prepareCount_; }
  int ResetCount() const { return resetCount_; }
  // Whether the controller fetches its code from internal ROM, so that it
  // may erase and program the parallel ROM; and how often it was told to.
  bool RunsFromInternalRom() const { return runsFromInternalRom_; }
  int InternalRomSwitchCount() const { return internalRomSwitches_; }

  const std::vector<LogEntry>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }

  // Hot-plug by hand. Plug() is a power cycle: the controller state starts afresh.
  void Unplug();
  void Plug();

  // Faults, also set from DeviceConfig::faults at construction.
  void FailCommands(CommandFailure failure);
  void FlipOnRead(ByteFlip flip);
  void SetStayBusy(bool stuck);
  void SetRomStayBusy(bool stuck);
  // The next commands commands are handled, then the device is gone.
  void VanishAfter(int commands);
  void SetHeldOpen(bool held) { heldOpen_ = held; }
  void SetPermissionDenied(bool denied) { permissionDenied_ = denied; }

 private:
  // One request as the handlers see it.
  struct Exchange {
    const Cdb& cdb;
    std::span<std::uint8_t> dataIn;
    std::span<const std::uint8_t> dataOut;
    InterfaceClass via;
  };
  enum class Needs { Nothing, Bridge, BlockCommands, Rom };
  using Handler = ScsiResult (EmulatedBridge::*)(const Exchange&);
  struct Route {
    CdbPattern pattern;
    DataDirection direction;
    Needs needs;
    Handler handler;
  };
  struct ArmedFailure {
    CommandFailure failure;
    int matches = 0;
  };

  static const std::vector<Route>& Routes();
  std::optional<TransportError> OpenError(const ScsiRequest& request) const;
  ScsiResult Dispatch(const ScsiRequest& request, InterfaceClass via);
  bool Supports(Needs needs) const;
  bool ShouldFail(std::span<const std::uint8_t> cdb);
  void CountTowardsVanishing();
  void ResetControllerState();
  void ApplyFlips(std::uint32_t address, std::span<std::uint8_t> data) const;

  // Answers: copy of the available bytes into the data-in phase.
  static ScsiResult Answer(std::span<std::uint8_t> dataIn, std::span<const std::uint8_t> bytes);
  static ScsiResult Completed(std::size_t transferred);
  static ScsiResult Malformed(std::string detail);

  // Identity (bridge_identity_commands.cpp).
  ScsiResult Inquiry(const Exchange& x);
  ScsiResult ReadIdentify(const Exchange& x);
  ScsiResult ReadChipInfo(const Exchange& x);
  ScsiResult ReadChipCode(const Exchange& x);
  ScsiResult ReadMemory(const Exchange& x);
  ScsiResult ReadFlashKind(const Exchange& x);
  ScsiResult SpiCommand(const Exchange& x);
  ScsiResult SpiResponse(const Exchange& x);
  ScsiResult SpiReadId3(const Exchange& x);
  // Serial flash (bridge_flash_commands.cpp).
  ScsiResult ReadFlashBlock(const Exchange& x);
  ScsiResult WriteFlashBlock(const Exchange& x);
  ScsiResult FlashRead(const Exchange& x);
  ScsiResult FlashWrite(const Exchange& x);
  ScsiResult FlashStatus(const Exchange& x);
  ScsiResult FlashChipErase(const Exchange& x);
  ScsiResult FlashSectorErase(const Exchange& x);
  // Parallel ROM (bridge_rom_commands.cpp).
  ScsiResult RomStatus(const Exchange& x);
  ScsiResult RomExecute(const Exchange& x);
  ScsiResult RomProgram(const Exchange& x);
  ScsiResult RomRead(const Exchange& x);
  ScsiResult RomLoadSequence(const Exchange& x);
  ScsiResult SwitchInternalRom(const Exchange& x);
  // Control (bridge_control_commands.cpp).
  ScsiResult ModeEnter(const Exchange& x);
  ScsiResult ModeLeave(const Exchange& x);
  ScsiResult PrepareFlash(const Exchange& x);
  ScsiResult DeviceReset(const Exchange& x);

  DeviceConfig config_;
  Clock& clock_;
  SerialFlash flash_;
  std::optional<ParallelRom> rom_;
  std::vector<std::uint8_t> memory_;
  std::vector<LogEntry> log_;

  bool attached_ = true;
  bool vanished_ = false;
  std::chrono::milliseconds reattachAt_{0};
  unsigned detachCount_ = 0;

  bool inMode_ = false;
  int prepareCount_ = 0;
  int resetCount_ = 0;
  // The flash chip's answer captured by the last SPI command; none before one.
  std::optional<std::vector<std::uint8_t>> spiAnswer_;
  // The command sequence that CmdRomLoadSequence handed over; none before one.
  std::optional<std::array<std::uint8_t, kRomEraseSequenceSize>> romSequence_;
  bool runsFromInternalRom_ = false;
  int internalRomSwitches_ = 0;

  std::vector<ArmedFailure> failures_;
  std::vector<ByteFlip> flips_;
  std::optional<int> commandsBeforeVanishing_;
  bool heldOpen_ = false;
  bool permissionDenied_ = false;
};

}  // namespace qfw::emu
