#pragma once
// Before a write to a bridge's flash: is a file system on the bridge's disk
// mounted? The bridge resets or has to be power-cycled after the write, and
// writes still in flight to that file system would be lost.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/mount_table.h"

namespace qfw::cli {

struct MountRoots {
  std::filesystem::path sysfs = "/sys";
  std::filesystem::path mounts = "/proc/self/mounts";
};

struct MountCheck {
  std::vector<MountEntry> mounted;     // file systems mounted from the bridge's disk
  std::optional<std::string> problem;  // the check could not be made
  bool Clear() const { return mounted.empty() && !problem; }
};

MountCheck CheckBridgeMounts(const std::string& devicePath, const MountRoots& roots);

// What the user is told when the check is not clear, and how to go on.
std::string MountRefusalText(const std::string& devicePath, const MountCheck& check);

}  // namespace qfw::cli
