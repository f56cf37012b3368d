#include "platform/udev_event_code.h"

namespace qfw {
namespace {

constexpr std::uint32_t kArrival = 0x8000;
constexpr std::uint32_t kRemoveComplete = 0x8004;
constexpr std::uint32_t kConfigChanged = 0x0018;

}  // namespace

std::uint32_t DeviceEventCodeForAction(std::string_view action) {
  if (action == "add") return kArrival;
  if (action == "remove") return kRemoveComplete;
  return kConfigChanged;
}

}  // namespace qfw
