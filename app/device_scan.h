#pragma once
// The device scan: which attached controllers need the update. Every
// candidate path is identified; the controllers of families 10 and 13 are
// put into their vendor mode (CmdModeEnter) and checked against the
// embedded image, and those whose flash does not hold it yet are listed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/context.h"
#include "device/discovery.h"

namespace qfw {

inline constexpr std::size_t kDescriptionLength = 24;  // INQUIRY vendor and product identification
inline constexpr std::string_view kListItemPrefix = "<<USB>> ";

struct ScannedDevice {
  std::string path;         // lower-cased
  std::string description;  // "<<USB>> " + the identification, at most 24 characters
  bool listed = false;      // false: its flash already holds the embedded image
};

struct ScanResult {
  // Every supported controller in enumeration order; each received CmdModeEnter.
  std::vector<ScannedDevice> devices;
  std::int32_t PathCount = 0;  // candidate paths, supported or not
  std::size_t diskCount = 0;   // of which disk interfaces (the first ones)
  bool AlreadyUpdatedSeen = false;

  std::size_t ListedCount() const;
};

ScanResult ScanDevices(const Context& context, DeviceDiscovery& discovery);

// Letters A to Z become a to z; nothing else changes.
std::string LowerCasePath(std::string path);

}  // namespace qfw
