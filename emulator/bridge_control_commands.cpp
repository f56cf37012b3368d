// Controller control of the emulated bridge: the mode commands, flash
// preparation and the self-reset that detaches the device for a while.

#include "emulator/emulated_bridge.h"

namespace qfw::emu {

ScsiResult EmulatedBridge::ModeEnter(const Exchange&) {
  inMode_ = true;
  return Completed(0);
}

ScsiResult EmulatedBridge::ModeLeave(const Exchange&) {
  inMode_ = false;
  return Completed(0);
}

ScsiResult EmulatedBridge::PrepareFlash(const Exchange&) {
  ++prepareCount_;
  return Completed(0);
}

// The command completes, then the controller restarts: it leaves the bus at
// once and attaches again after the configured delay, with fresh state.
ScsiResult EmulatedBridge::DeviceReset(const Exchange&) {
  ++resetCount_;
  ++detachCount_;
  reattachAt_ = clock_.Now() + config_.resetReattach;
  ResetControllerState();
  return Completed(0);
}

}  // namespace qfw::emu
