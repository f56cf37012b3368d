#include "app/cli/flash_activity.h"

#include "device/command_codes.h"

namespace qfw::cli {
namespace {

constexpr std::size_t kCdbLength = 12;
constexpr std::size_t kBlockFunctionByte = 11;
constexpr std::size_t kBlockAddressByte = 8;   // A2 A1 A0
constexpr std::size_t kVendorAddressByte = 3;  // A2 A1 A0

std::uint32_t Address24(std::span<const std::uint8_t> cdb, std::size_t first) {
  return static_cast<std::uint32_t>(cdb[first] << 16 | cdb[first + 1] << 8 | cdb[first + 2]);
}

std::optional<FlashActivity> BlockActivity(std::uint8_t function) {
  if (function == codes::kReadFlashBlock) return FlashActivity::Read;
  if (function == codes::kWriteFlashBlock) return FlashActivity::Write;
  return std::nullopt;
}

std::optional<FlashActivity> VendorActivity(std::uint8_t subCommand) {
  switch (subCommand) {
    case codes::kFlashRead:
      return FlashActivity::Read;
    case codes::kFlashWrite:
      return FlashActivity::Write;
    case codes::kFlashChipErase:
    case codes::kFlashSectorErase:
      return FlashActivity::Erase;
    default:
      return std::nullopt;
  }
}

std::uint32_t Length(const ScsiRequest& request, FlashActivity activity) {
  return activity == FlashActivity::Erase ? 0 : static_cast<std::uint32_t>(request.DataLength());
}

}  // namespace

std::optional<FlashTransfer> DecodeFlashTransfer(const ScsiRequest& request) {
  const auto cdb = request.cdb;
  if (cdb.size() != kCdbLength) return std::nullopt;
  if (cdb[0] == codes::kBlockOpcode) {
    const auto activity = BlockActivity(cdb[kBlockFunctionByte]);
    if (!activity) return std::nullopt;
    return FlashTransfer{*activity, Address24(cdb, kBlockAddressByte), Length(request, *activity)};
  }
  if (cdb[0] == codes::kVendorOpcode && cdb[1] == codes::kVendorGroup) {
    const auto activity = VendorActivity(cdb[2]);
    if (!activity) return std::nullopt;
    const std::uint32_t address = cdb[2] == codes::kFlashChipErase ? 0 : Address24(cdb, kVendorAddressByte);
    return FlashTransfer{*activity, address, Length(request, *activity)};
  }
  return std::nullopt;
}

ScsiResult ObservingPassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  ScsiResult result = inner_.Execute(path, request);
  observer_.OnRequest(path, request, result);
  return result;
}

}  // namespace qfw::cli
