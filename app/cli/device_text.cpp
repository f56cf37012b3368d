#include "app/cli/device_text.h"

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "device/flash_kind.h"

namespace qfw::cli {
namespace {

using nlohmann::json;

constexpr int kJsonIndent = 2;

std::string Hex16(unsigned value) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "0x%04X", value);
  return text.data();
}

json ChipJson(ChipId chipId) {
  return {{"chipId", Hex16(chipId)},
          {"chipFamily", ChipFamilyOf(chipId)},
          {"chipRevision", ChipRevisionOf(chipId)},
          {"chipName", std::string(ChipName(ChipFamilyOf(chipId)))}};
}

json ReportObject(const DeviceReport& r) {
  json object{{"path", r.path}, {"interfaceClass", r.interfaceClass}, {"state", StateKey(r)}};
  if (r.openError) {
    object["openError"] = TransportErrorName(*r.openError);
    if (!r.openDetail.empty()) object["openDetail"] = r.openDetail;
    return object;
  }
  object["vendor"] = r.vendor;
  object["product"] = r.product;
  object.update(ChipJson(r.chipId));
  object["supported"] = r.supported;
  object["firmwareVersion"] = r.firmwareVersion;
  if (r.flashKind) {
    object["flashKind"] = *r.flashKind;
    object["flashVendor"] = std::string(FlashVendorName(*r.flashKind));
  } else {
    object["flashKind"] = nullptr;
    object["flashVendor"] = nullptr;
  }
  return object;
}

std::string FlashTypeText(const DeviceDetails& details, const DeviceReport& report) {
  if (!details.flashText.empty()) return details.flashText;
  if (report.flashKind) {
    return std::string(FlashVendorName(*report.flashKind)) + " (kind " + std::to_string(*report.flashKind) + ")";
  }
  return "(unknown)";
}

std::string Line(const std::string& name, const std::string& value) {
  std::string label = name + ":";
  label.resize(std::max<std::size_t>(label.size() + 1, 12), ' ');
  return "  " + label + value + "\n";
}

}  // namespace

std::string StateKey(const DeviceReport& report) {
  if (report.openError) return "cannot-open";
  if (!report.supported) return "not-supported";
  return report.alreadyUpdated ? "already-updated" : "needs-update";
}

std::string ListJson(const std::vector<DeviceReport>& reports) {
  json array = json::array();
  for (const DeviceReport& report : reports) array.push_back(ReportObject(report));
  return array.dump(kJsonIndent);
}

std::string InfoText(const DeviceDetails& details, const DeviceReport& report) {
  std::string text = report.path + "\n";
  text += Line("chip", details.chipName + " (ChipId " + Hex16(details.chipId) + ")");
  text += Line("firmware", details.versionText.empty() ? "(not a Quorell chip)" : details.versionText);
  text += Line("flash type", FlashTypeText(details, report));
  text += Line("drives", "(none)");  // nothing fills the Drives field
  // The details display's status concerns the developer panel's procedures.
  text += Line("panel", details.statusText.empty() ? "(no remark)" : details.statusText);
  const std::string identity = report.vendor + (report.product.empty() ? "" : " " + report.product);
  text += Line("device", identity + " (" + report.interfaceClass + ")");
  text += Line("update", UpdateState(report));
  return text;
}

std::string InfoJson(const DeviceDetails& details, const DeviceReport& report) {
  json object = ReportObject(report);
  object.update(ChipJson(details.chipId));
  object["firmwareVersion"] = details.versionText;
  object["flashType"] = details.flashText;
  object["drives"] = "";
  object["panelStatus"] = details.statusText;
  object["amicModel"] = details.amicModel ? json(*details.amicModel) : json(nullptr);
  return object.dump(kJsonIndent);
}

}  // namespace qfw::cli
