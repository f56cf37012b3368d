#include "app/cli/whole_flash.h"

#include "device/chip_identification.h"
#include "flash/chunked_transfer.h"
#include "flash/family10_fallback.h"
#include "flash/image_assembly.h"
#include "flash/image_layout.h"
#include "flash/write_and_verify.h"

namespace qfw::cli {
namespace {

constexpr std::uint8_t kBlockCommandRevision = 9;  // family 10: takes the block commands unprobed

}  // namespace

bool UsesBlockCommands(Transport& transport, const std::string& path, ChipId chipId) {
  if (ChipFamilyOf(chipId) == kFamilyQrs642) return true;
  return ChipRevisionOf(chipId) == kBlockCommandRevision ||
         ProbeBlockCommandSupport(transport, path, ChipFamilyOf(chipId));
}

std::optional<std::vector<std::uint8_t>> ReadWholeFlash(const Context& context, const TransferSettings& settings,
                                                        const std::string& path, ChipId chipId) {
  std::vector<std::uint8_t> flash(kFlashImageSize, 0);
  const bool read = UsesBlockCommands(context.transport, path, chipId)
                        ? ReadFlash(context, path, 0, flash)
                        : ReadFlashPaged(context, settings, path, 0, flash);
  if (!read) return std::nullopt;
  return flash;
}

bool WriteWholeFlash(const Context& context, const TransferSettings& settings, const std::string& path, ChipId chipId,
                     std::span<const std::uint8_t> image) {
  if (!UsesBlockCommands(context.transport, path, chipId)) {
    return LegacyEraseProgramVerify(context, settings, path, image);
  }
  const bool detect = ChipFamilyOf(chipId) == kFamilyQrs642 || ReadVariantFlag(context.transport, path);
  return WriteAndVerify(context, path, image, detect);
}

}  // namespace qfw::cli
