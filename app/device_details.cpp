#include "app/device_details.h"

#include <array>

#include "app/firmware_version.h"
#include "device/chip_identification.h"
#include "device/commands.h"
#include "device/flash_identification.h"
#include "device/flash_kind.h"
#include "legacy/firmware_file_match.h"

namespace qfw {
namespace {

constexpr std::string_view kNotSupportedText = "The chip not support Firmware Update!";
constexpr std::string_view kNotQuorellText = "Not Quorell Chip!!";
constexpr std::string_view kAmicText = "AMIC";
constexpr std::uint8_t kNvramFamily = 6;
constexpr std::size_t kChipInfoLength = 16;
constexpr int kNoAmicFlash = -1;

// "AMIC" for a recognised AMIC part, else the vendor of the kind the
// controller reports, else nothing.
std::string FlashText(Transport& transport, const std::string& path, int amicModel) {
  if (amicModel != kNoAmicFlash) return std::string(kAmicText);
  std::array<std::uint8_t, 4> kind{};
  if (!CmdReadFlashKind(transport, path, kind)) return {};
  return std::string(FlashVendorName(kind[0]));
}

void ReadVersion(Transport& transport, const std::string& path, DeviceDetails& details) {
  std::array<std::uint8_t, kChipInfoLength> info{};
  const TransferResult read = CmdReadChipInfo(transport, path, info);
  if (!read.ok) {
    details.versionText = DefaultVersionText(ChipFamilyOf(details.chipId));
    return;
  }
  details.versionText = VersionTextFromChipInfo(info, read.transferred.value_or(0));
  if (details.versionText.empty()) details.statusText = kNotQuorellText;
}

}  // namespace

DetailsPanel PanelOfFamily(std::uint8_t family) {
  switch (family) {
    case 1: case 3: case 4: case 6: case 7:
      return DetailsPanel::SerialFlash;
    case 2: case 18:
      return DetailsPanel::A1Chip;
    default:
      return DetailsPanel::NotSupported;
  }
}

DeviceDetails ReadDeviceDetails(const Context& context, const std::string& path,
                                const std::optional<std::string>& firmwareFile) {
  DeviceDetails details;
  details.chipId = IdentifyChip(context, path);
  const std::uint8_t family = ChipFamilyOf(details.chipId);
  if (firmwareFile) {
    const bool fits = MatchFirmwareFile(*firmwareFile, details.chipId, context.host.messages);
    details.fileCheck = fits ? FileCheck::Fits : FileCheck::DoesNotFit;
  }
  details.chipName = ChipName(family);
  details.panel = PanelOfFamily(family);
  if (details.panel == DetailsPanel::SerialFlash) {
    details.showNvram = family == kNvramFamily;
    details.amicModel = DetectAmicFlash(context.transport, path);
    details.flashText = FlashText(context.transport, path, *details.amicModel);
  } else if (details.panel == DetailsPanel::NotSupported) {
    details.statusText = kNotSupportedText;
  }
  ReadVersion(context.transport, path, details);
  return details;
}

}  // namespace qfw
