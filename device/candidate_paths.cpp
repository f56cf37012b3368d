#include "device/candidate_paths.h"

namespace qfw {
namespace {

// Appends the usable paths of one interface class; returns how many.
std::size_t Append(std::vector<std::string>& out, const std::vector<std::string>& found, DebugOutput& debug) {
  std::size_t added = 0;
  for (const std::string& path : found) {
    if (path.size() > kMaxDevicePathLength) {
      debug.Write("device path longer than 255 characters skipped: " + path.substr(0, 64) + "...");
      continue;
    }
    if (out.size() == kMaxCandidatePaths) {
      debug.Write("more than 16 candidate devices; left out: " + path);
      continue;
    }
    out.push_back(path);
    ++added;
  }
  return added;
}

}  // namespace

CandidatePaths FindCandidatePaths(DeviceDiscovery& discovery, DebugOutput& debug) {
  CandidatePaths result;
  result.diskCount = Append(result.paths, discovery.FindUsbDiskPaths(), debug);
  Append(result.paths, discovery.FindUsbCdromPaths(), debug);
  return result;
}

}  // namespace qfw
