#pragma once
// One update path as the fault sweep drives it: the machine it starts from,
// how the user starts the update and what the user is told, and what the
// device's memory must hold afterwards.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "emulator/emulated_bridge.h"
#include "tests/reliability/sweep_machine.h"

namespace qfw::test {

struct RunReport {
  bool success = false;        // the user was told the device was updated
  bool claimsUpdated = false;  // the last display says the device already holds the image
  bool failureShown = false;   // the user was told the update failed, or it was not offered
  std::string shown;           // what the user saw, for problem reports
};

class SweptPath {
 public:
  virtual ~SweptPath() = default;
  virtual std::string Name() const = 0;
  virtual MachineSetup Setup() const = 0;
  // From the first look at the device to the outcome shown.
  virtual RunReport Run(SweepMachine& machine) const = 0;
  // After SweepMachine::Heal(): the rescan and the second update.
  virtual RunReport RunAgain(SweepMachine& machine) const = 0;
  // The memory the update writes (the serial flash unless said otherwise).
  virtual std::vector<std::uint8_t> Memory(const emu::EmulatedBridge& device) const {
    const auto contents = device.Flash().Contents();
    return {contents.begin(), contents.end()};
  }
  // What a correct update leaves in that memory when it held before, given
  // how the device answered during the run (its log).
  virtual std::vector<std::uint8_t> Expected(std::span<const std::uint8_t> before,
                                             const emu::EmulatedBridge& device) const = 0;
  // Commands to skip between two swept commands; 1 sweeps every command.
  virtual std::size_t Stride() const { return 1; }
};

}  // namespace qfw::test
