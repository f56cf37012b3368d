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

}  // namespace

std::vector<std::string> BridgeBlockDevices(const std::string& devicePath, const fs::path& sysfsRoot) {
  const std::string node = fs::path(devicePath).filename().string();
  if (node.empty()) return {};
  StackCollector collector(sysfsRoot);
  const fs::path genericBlock = sysfsRoot / "class" / "scsi_generic" / node / "device" / "block";
  std::error_code error;
  if (fs::is_directory(genericBlock, error)) {
    for (const fs::path& disk : Subdirectories(genericBlock)) collector.Collect(disk, disk.filename().string(), 0);
  } else if (const fs::path block = sysfsRoot / "class" / "block" / node; fs::exists(block, error)) {
    collector.Collect(block, node, 0);
  }
  return std::move(collector).Names();
}

}  // namespace qfw::cli
