#include "app/cli/bridge_block_devices.h"

#include <algorithm>
#include <fstream>

namespace qfw::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxStackDepth = 8;  // guards against a cycle of holders

std::vector<fs::path> Subdirectories(const fs::path& dir) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) found.push_back(it->path());
  }
  std::ranges::sort(found);
  return found;
}

std::vector<std::string> EntryNames(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::ranges::sort(names);
  return names;
}

std::string FirstLine(const fs::path& file) {
  std::ifstream stream(file);
  std::string line;
  std::getline(stream, line);
  return line;
}

class StackCollector {
 public:
  explicit StackCollector(fs::path sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

  // dir is the sysfs directory of the block device name.
  void Collect(const fs::path& dir, const std::string& name, int depth) {
    if (depth > kMaxStackDepth || std::ranges::find(names_, name) != names_.end()) return;
    names_.push_back(name);
    const std::string mapperName = FirstLine(dir / "dm" / "name");
    if (!mapperName.empty()) names_.push_back("mapper/" + mapperName);
    for (const fs::path& sub : Subdirectories(dir)) {
      std::error_code error;
      if (fs::exists(sub / "partition", error)) Collect(sub, sub.filename().string(), depth + 1);
    }
    for (const std::string& holder : EntryNames(dir / "holders")) {
      Collect(sysfsRoot_ / "class" / "block" / holder, holder, depth + 1);
    }
  }

  std::vector<std::string> Names() && { return std::move(names_); }

 private:
  fs::path sysfsRoot_;
  std::vector<std::string> names_;
};

// "host6": a SCSI host in sysfs.
bool IsHostDirectory(const fs::path& dir) {
  const std::string name = dir.filename().string();
  constexpr std::string_view kPrefix = "host";
  return name.size() > kPrefix.size() && name.starts_with(kPrefix) &&
         std::all_of(name.begin() + kPrefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A bridge may present a disk and a CD-ROM as two logical units of one
// SCSI host; the update resets both. So the devices looked at are every
// target*/H:C:T:L below the host that device (sysfs's link followed) sits
// under, or device alone when no host is found.
std::vector<fs::path> DevicesOfSameHost(const fs::path& device) {
  std::error_code error;
  const fs::path real = fs::canonical(device, error);
  if (error) return {device};
  fs::path host = real;
  while (host.has_relative_path() && !IsHostDirectory(host)) host = host.parent_path();
  if (!IsHostDirectory(host)) return {device};
  std::vector<fs::path> devices;
  for (const fs::path& target : Subdirectories(host)) {
    if (!target.filename().string().starts_with("target")) continue;
    for (const fs::path& unit : Subdirectories(target)) devices.push_back(unit);
  }
  return devices;
}

// The node's name in sysfs: the last part of the path, its links followed.
std::string NodeName(const std::string& devicePath) {
  std::error_code error;
  const fs::path real = fs::canonical(devicePath, error);
  return (error ? fs::path(devicePath) : real).filename().string();
}

}  // namespace

bool IsKnownNode(const std::string& devicePath, const fs::path& sysfsRoot) {
  const std::string node = NodeName(devicePath);
  std::error_code error;
  return !node.empty() && (fs::exists(sysfsRoot / "class" / "scsi_generic" / node, error) ||
                           fs::exists(sysfsRoot / "class" / "block" / node, error));
}

std::vector<std::string> BridgeBlockDevices(const std::string& devicePath, const fs::path& sysfsRoot) {
  const std::string node = NodeName(devicePath);
  if (node.empty()) return {};
  StackCollector collector(sysfsRoot);
  const fs::path genericDevice = sysfsRoot / "class" / "scsi_generic" / node / "device";
  std::error_code error;
  if (fs::is_directory(genericDevice, error)) {
    for (const fs::path& device : DevicesOfSameHost(genericDevice)) {
      for (const fs::path& disk : Subdirectories(device / "block"))
        collector.Collect(disk, disk.filename().string(), 0);
    }
  } else if (const fs::path block = sysfsRoot / "class" / "block" / node; fs::exists(block, error)) {
    collector.Collect(block, node, 0);
  }
  return std::move(collector).Names();
}

}  // namespace qfw::cli
