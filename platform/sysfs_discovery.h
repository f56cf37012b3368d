#pragma once
// Finds USB mass-storage disks and CD-ROMs as SCSI generic nodes by walking
// sysfs: every /sys/class/scsi_generic/sgN whose SCSI device has type 0
// (disk) or 5 (CD-ROM) and sits below a USB interface bound to usb-storage
// or uas. The device path is <dev root>/sgN; lists are ordered by N.
// Nothing is opened under the dev root.

#include <filesystem>
#include <string>
#include <vector>

#include "device/discovery.h"

namespace qfw {

class SysfsDiscovery final : public DeviceDiscovery {
 public:
  explicit SysfsDiscovery(std::filesystem::path sysfsRoot = "/sys", std::filesystem::path devRoot = "/dev");

  std::vector<std::string> FindUsbDiskPaths() override;
  std::vector<std::string> FindUsbCdromPaths() override;

 private:
  std::vector<std::string> FindUsbPaths(int scsiType) const;

  std::filesystem::path sysfsRoot_;
  std::filesystem::path devRoot_;
};

}  // namespace qfw
