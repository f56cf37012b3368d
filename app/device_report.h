#pragma once
// What the program knows about each candidate device after asking it:
// identity, chip, firmware version and flash. Used by the listing of the
// programs; it sends only commands that read.

#include <optional>
#include <string>
#include <vector>

#include "device/chip_family.h"
#include "device/context.h"
#include "device/discovery.h"
#include "device/flash_kind.h"

namespace qfw {

struct DeviceReport {
  std::string path;
  std::string interfaceClass;  // "disk" or "cdrom"
  // Set when the device could not be opened; then nothing else was asked.
  std::optional<TransportError> openError;
  std::string openDetail;
  std::string vendor;   // INQUIRY vendor identification, trimmed
  std::string product;  // INQUIRY product identification, trimmed
  ChipId chipId = 0;
  bool supported = false;       // family 10 or 13
  std::string firmwareVersion;  // "Ver 67.01.00", or the family's default text
  std::optional<FlashKind> flashKind;  // asked for supported controllers only
  bool alreadyUpdated = false;         // supported and holding the embedded image
};

// Identifies one device.
DeviceReport ReportDevice(const Context& context, const std::string& path, std::string interfaceClass);

// Discovers the candidates and reports each, disks first.
std::vector<DeviceReport> ReportDevices(const Context& context, DeviceDiscovery& discovery);

// What the update would do with the device: "needs the update",
// "already holds the firmware image", "not supported" or "cannot open".
std::string UpdateState(const DeviceReport& report);

// A human-readable block of lines for one device.
std::string FormatReport(const DeviceReport& report);

}  // namespace qfw
