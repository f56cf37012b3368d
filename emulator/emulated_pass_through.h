#pragma once
// The pass-through driver of the emulated machine: requests go to the device
// on the emulated bus that owns the path.

#include "device/pass_through.h"
#include "emulator/emulated_bus.h"

namespace qfw::emu {

class EmulatedPassThrough final : public PassThrough {
 public:
  explicit EmulatedPassThrough(EmulatedBus& bus) : bus_(bus) {}
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

 private:
  EmulatedBus& bus_;
};

}  // namespace qfw::emu
