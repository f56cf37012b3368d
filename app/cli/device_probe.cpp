#include "app/cli/device_probe.h"

#include <array>

#include "device/commands.h"

namespace qfw::cli {
namespace {

constexpr std::size_t kInquiryLength = 36;

}  // namespace

DeviceProbe ProbeDevice(Transport& transport, const std::string& path) {
  std::array<std::uint8_t, kInquiryLength> inquiry{};
  if (Inquiry(transport, path, inquiry) || transport.LastResult().opened) return {.opened = true};
  return {.opened = false, .error = transport.LastResult().error, .detail = transport.LastResult().detail};
}

}  // namespace qfw::cli
