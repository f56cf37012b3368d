#include "app/cli/mount_guard.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "app/cli/bridge_block_devices.h"

namespace qfw::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDevPrefix = "/dev/";

bool NamesOneOf(const std::string& source, const std::vector<std::string>& names) {
  if (!source.starts_with(kDevPrefix)) return false;
  return std::ranges::find(names, source.substr(kDevPrefix.size())) != names.end();
}

// By its name in the table, or by where a symbolic link (/dev/disk/by-uuid/...)
// leads.
bool FromBridge(const std::string& source, const std::vector<std::string>& names) {
  if (NamesOneOf(source, names)) return true;
  if (!source.starts_with('/')) return false;  // "tmpfs", "proc": no file to follow
  std::error_code error;
  const fs::path resolved = fs::canonical(source, error);
  return !error && NamesOneOf(resolved.string(), names);
}

}  // namespace

MountCheck CheckBridgeMounts(const std::string& devicePath, const MountRoots& roots) {
  MountCheck check;
  if (!IsKnownNode(devicePath, roots.sysfs)) {
    check.problem = devicePath + " is not a SCSI generic or block device known to " + roots.sysfs.string();
    return check;
  }
  const std::vector<std::string> names = BridgeBlockDevices(devicePath, roots.sysfs);
  if (names.empty()) return check;
  std::ifstream file(roots.mounts);
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file.is_open() || file.bad()) {
    check.problem = "cannot read the table of mounted file systems " + roots.mounts.string();
    return check;
  }
  for (MountEntry& entry : ParseMountTable(text)) {
    if (FromBridge(entry.source, names)) check.mounted.push_back(std::move(entry));
  }
  return check;
}

std::string MountRefusalText(const std::string& devicePath, const MountCheck& check) {
  if (check.problem) {
    return "Cannot tell whether a file system on the disk of " + devicePath + " is mounted: " + *check.problem +
           ".\nUse --force to write anyway.";
  }
  std::string text = "A file system on the disk behind " + devicePath + " is mounted:\n";
  for (const MountEntry& entry : check.mounted) text += "  " + entry.source + " on " + entry.target + "\n";
  text +=
      "The bridge resets after the firmware is written, and writes still on their way to the disk would be lost.\n"
      "Unmount it first (for example: umount '" +
      check.mounted.front().target + "'), or use --force to write anyway.";
  return text;
}

}  // namespace qfw::cli
