#pragma once
// Device discovery on the emulated machine: the present USB mass-storage
// interfaces of the bus. Devices that are not USB storage are reachable by
// path but never listed.

#include "device/discovery.h"
#include "emulator/emulated_bus.h"

namespace qfw::emu {

class EmulatedDiscovery final : public DeviceDiscovery {
 public:
  explicit EmulatedDiscovery(EmulatedBus& bus) : bus_(bus) {}
  std::vector<std::string> FindUsbDiskPaths() override;
  std::vector<std::string> FindUsbCdromPaths() override;

 private:
  EmulatedBus& bus_;
};

}  // namespace qfw::emu
