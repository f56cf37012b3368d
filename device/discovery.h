#pragma once
// Finds the device paths of USB mass-storage disk and CD-ROM interfaces.
// Nothing is opened or sent; whether a path leads to a bridge is decided by
// chip identification afterwards.

#include <string>
#include <vector>

namespace qfw {

class DeviceDiscovery {
 public:
  virtual ~DeviceDiscovery() = default;
  // Paths of present USB mass-storage disk interfaces, in a stable order.
  virtual std::vector<std::string> FindUsbDiskPaths() = 0;
  // Paths of present USB mass-storage CD-ROM interfaces, in a stable order.
  virtual std::vector<std::string> FindUsbCdromPaths() = 0;
};

}  // namespace qfw
