#include "app/device_scan.h"

#include <algorithm>
#include <array>

#include "device/candidate_paths.h"
#include "device/chip_identification.h"
#include "device/commands.h"
#include "flash/embedded_image.h"

namespace qfw {
namespace {

constexpr std::size_t kInquiryLength = 40;
constexpr std::size_t kIdentificationOffset = 8;  // vendor (8 bytes), then product (16 bytes)

using Description = std::array<std::uint8_t, kDescriptionLength>;

// A successful INQUIRY replaces the description; after a failed one it
// keeps what the previous device left there.
void ReadDescription(Transport& transport, const std::string& path, Description& description) {
  std::array<std::uint8_t, kInquiryLength> inquiry{};
  if (!Inquiry(transport, path, inquiry)) return;
  std::copy_n(inquiry.begin() + kIdentificationOffset, description.size(), description.begin());
}

// The list text: the prefix and the description up to its first zero byte.
std::string ListText(const Description& description) {
  const auto end = std::find(description.begin(), description.end(), std::uint8_t{0});
  return std::string(kListItemPrefix) + std::string(description.begin(), end);
}

}  // namespace

std::size_t ScanResult::ListedCount() const {
  return static_cast<std::size_t>(std::ranges::count_if(devices, &ScannedDevice::listed));
}

std::string LowerCasePath(std::string path) {
  for (char& c : path) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return path;
}

ScanResult ScanDevices(const Context& context, DeviceDiscovery& discovery) {
  const CandidatePaths candidates = FindCandidatePaths(discovery, context.host.debug);
  ScanResult result;
  result.PathCount = static_cast<std::int32_t>(candidates.paths.size());
  result.diskCount = candidates.diskCount;
  Description description{};
  for (const std::string& candidate : candidates.paths) {
    if (!IsSupportedFamily(context, candidate)) continue;
    const std::string path = LowerCasePath(candidate);
    ReadDescription(context.transport, path, description);
    CmdModeEnter(context.transport, path);
    const bool updated = IsAlreadyUpdated(context, path);
    result.AlreadyUpdatedSeen = result.AlreadyUpdatedSeen || updated;
    result.devices.push_back({path, ListText(description), !updated});
  }
  return result;
}

}  // namespace qfw
