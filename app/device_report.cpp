#include "app/device_report.h"

#include <array>
#include <cstdio>

#include "app/firmware_version.h"
#include "device/candidate_paths.h"
#include "device/chip_identification.h"
#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/embedded_image.h"

namespace qfw {
namespace {

std::string Trimmed(std::span<const std::uint8_t> bytes) {
  std::string text(bytes.begin(), bytes.end());
  const auto end = text.find_last_not_of(std::string(" \0", 2));
  return end == std::string::npos ? std::string{} : text.substr(0, end + 1);
}

std::string FirmwareVersion(Transport& t, const std::string& path, std::uint8_t family) {
  std::array<std::uint8_t, 16> info{};
  const TransferResult result = CmdReadChipInfo(t, path, info);
  if (!result.ok) return DefaultVersionText(family);
  return VersionTextFromChipInfo(info, result.transferred.value_or(0));
}

// The kind the controller reports, or the one the id probes find.
std::optional<FlashKind> ReportedFlashKind(Transport& t, const std::string& path) {
  std::array<std::uint8_t, 4> kind{};
  if (!CmdReadFlashKind(t, path, kind)) return std::nullopt;
  if (kind[0] != kFlashKindUnknown) return kind[0];
  FlashDetection detection;
  DetectFlashKind(t, path, detection);
  return detection.kind;
}

std::string Hex16(unsigned value) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "0x%04X", value);
  return text.data();
}

}  // namespace

DeviceReport ReportDevice(const Context& context, const std::string& path, std::string interfaceClass) {
  Transport& t = context.transport;
  DeviceReport report{.path = path, .interfaceClass = std::move(interfaceClass)};
  std::array<std::uint8_t, 40> inquiry{};
  if (!Inquiry(t, path, inquiry) && !t.LastResult().opened) {
    report.openError = t.LastResult().error;
    report.openDetail = t.LastResult().detail;
    return report;
  }
  report.vendor = Trimmed(std::span(inquiry).subspan(8, 8));
  report.product = Trimmed(std::span(inquiry).subspan(16, 16));
  report.chipId = IdentifyChip(context, path);
  const std::uint8_t family = ChipFamilyOf(report.chipId);
  report.supported = family == kFamilyQrs641 || family == kFamilyQrs642;
  report.firmwareVersion = FirmwareVersion(t, path, family);
  if (report.supported) {
    report.flashKind = ReportedFlashKind(t, path);
    report.alreadyUpdated = IsAlreadyUpdated(context, path);
  }
  return report;
}

std::vector<DeviceReport> ReportDevices(const Context& context, DeviceDiscovery& discovery) {
  const CandidatePaths candidates = FindCandidatePaths(discovery, context.host.debug);
  std::vector<DeviceReport> reports;
  for (std::size_t i = 0; i < candidates.paths.size(); ++i) {
    reports.push_back(ReportDevice(context, candidates.paths[i], i < candidates.diskCount ? "disk" : "cdrom"));
  }
  return reports;
}

std::string FormatReport(const DeviceReport& r) {
  std::string text = r.path + " (" + r.interfaceClass + ")\n";
  if (r.openError) {
    text += "  cannot open: " + std::string(TransportErrorName(*r.openError));
    if (!r.openDetail.empty()) text += " (" + r.openDetail + ")";
    return text + "\n";
  }
  text += "  device:   " + r.vendor + (r.product.empty() ? "" : " " + r.product) + "\n";
  text += "  chip:     " + std::string(ChipName(ChipFamilyOf(r.chipId))) + ", ChipId " + Hex16(r.chipId) + "\n";
  text += "  firmware: " + (r.firmwareVersion.empty() ? std::string("(not a Quorell chip)") : r.firmwareVersion) + "\n";
  if (r.flashKind) {
    text += "  flash:    " + std::string(FlashVendorName(*r.flashKind)) + " (kind " + std::to_string(*r.flashKind) + ")\n";
  }
  text += "  update:   " + UpdateState(r) + "\n";
  return text;
}

std::string UpdateState(const DeviceReport& r) {
  if (r.openError) return "cannot open";
  if (!r.supported) return "not supported";
  return r.alreadyUpdated ? "already holds the firmware image" : "needs the update";
}

}  // namespace qfw
