#pragma once
// Can the device at a path be reached at all? One INQUIRY tells a missing
// device and a node the user may not open from one that answers.

#include <string>

#include "device/transport.h"

namespace qfw::cli {

struct DeviceProbe {
  bool opened = false;
  TransportError error = TransportError::None;  // why it could not be opened
  std::string detail;
};

DeviceProbe ProbeDevice(Transport& transport, const std::string& path);

}  // namespace qfw::cli
