#include "platform/sysfs_discovery.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

namespace qfw {
namespace {

namespace fs = std::filesystem;

constexpr int kScsiTypeDisk = 0;
constexpr int kScsiTypeCdrom = 5;
constexpr std::array<std::string_view, 2> kMassStorageDrivers{"usb-storage", "uas"};

// The N of a node named "sgN", or nothing for any other name.
std::optional<unsigned> SgNumber(std::string_view name) {
  constexpr std::string_view kPrefix = "sg";
  if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(kPrefix.size());
  unsigned number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return number;
}

// The sg nodes under <sysfs>/class/scsi_generic, ordered by number.
std::vector<std::pair<unsigned, std::string>> SgNodes(const fs::path& classDir) {
  std::vector<std::pair<unsigned, std::string>> nodes;
  std::error_code error;
  for (fs::directory_iterator it(classDir, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (const auto number = SgNumber(name)) {
      nodes.emplace_back(*number, std::move(name));
    }
  }
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

std::optional<int> ReadScsiType(const fs::path& scsiDevice) {
  std::ifstream in(scsiDevice / "type");
  int type = -1;
  if (!(in >> type)) {
    return std::nullopt;
  }
  return type;
}

// Walks up from the SCSI device to the first USB interface (the directory
// holding bInterfaceNumber) and returns the name its driver link points to.
std::optional<std::string> UsbInterfaceDriver(const fs::path& scsiDevice, const fs::path& stopAt) {
  std::error_code error;
  for (fs::path dir = scsiDevice; dir != stopAt && dir.has_relative_path(); dir = dir.parent_path()) {
    if (!fs::exists(dir / "bInterfaceNumber", error)) {
      continue;
    }
    const fs::path target = fs::read_symlink(dir / "driver", error);
    if (error) {
      return std::nullopt;  // an interface no driver is bound to
    }
    return target.filename().string();
  }
  return std::nullopt;
}

bool IsMassStorageDriver(const std::string& driver) {
  return std::find(kMassStorageDrivers.begin(), kMassStorageDrivers.end(), driver) != kMassStorageDrivers.end();
}

}  // namespace

SysfsDiscovery::SysfsDiscovery(fs::path sysfsRoot, fs::path devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::vector<std::string> SysfsDiscovery::FindUsbDiskPaths() { return FindUsbPaths(kScsiTypeDisk); }

std::vector<std::string> SysfsDiscovery::FindUsbCdromPaths() { return FindUsbPaths(kScsiTypeCdrom); }

std::vector<std::string> SysfsDiscovery::FindUsbPaths(int scsiType) const {
  std::vector<std::string> paths;
  std::error_code error;
  const fs::path root = fs::canonical(sysfsRoot_, error);
  if (error) {
    return paths;
  }
  for (const auto& [number, name] : SgNodes(root / "class" / "scsi_generic")) {
    const fs::path scsiDevice = fs::canonical(root / "class" / "scsi_generic" / name / "device", error);
    if (error || ReadScsiType(scsiDevice) != scsiType) {
      continue;
    }
    const auto driver = UsbInterfaceDriver(scsiDevice, root);
    if (driver && IsMassStorageDriver(*driver)) {
      paths.push_back((devRoot_ / name).string());
    }
  }
  return paths;
}

}  // namespace qfw
