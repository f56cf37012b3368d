#pragma once
// The candidate list a scan works through: disk paths first, then CD-ROM
// paths, at most 16 in all, each at most 255 characters.

#include <cstddef>
#include <string>
#include <vector>

#include "device/debug_output.h"
#include "device/discovery.h"

namespace qfw {

inline constexpr std::size_t kMaxCandidatePaths = 16;
inline constexpr std::size_t kMaxDevicePathLength = 255;

struct CandidatePaths {
  std::vector<std::string> paths;
  std::size_t diskCount = 0;  // paths[0, diskCount) are disk interfaces
};

// A path longer than the limit is skipped (a shortened path would name a
// different device); paths beyond the 16th are left out. Both are written
// to the debug output.
CandidatePaths FindCandidatePaths(DeviceDiscovery& discovery, DebugOutput& debug);

}  // namespace qfw
