#include "emulator/emulated_discovery.h"

namespace qfw::emu {

std::vector<std::string> EmulatedDiscovery::FindUsbDiskPaths() { return bus_.PresentUsbPaths(InterfaceClass::Disk); }

std::vector<std::string> EmulatedDiscovery::FindUsbCdromPaths() {
  return bus_.PresentUsbPaths(InterfaceClass::Cdrom);
}

}  // namespace qfw::emu
