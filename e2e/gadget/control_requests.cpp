#include "e2e/gadget/control_requests.h"

namespace qfw::e2e {
namespace {

constexpr std::uint8_t kClassInterfaceIn = 0xA1;   // device to host, class, interface
constexpr std::uint8_t kClassInterfaceOut = 0x21;  // host to device, class, interface
constexpr std::uint8_t kGetMaxLun = 0xFE;
constexpr std::uint8_t kBulkOnlyReset = 0xFF;

}  // namespace

ControlAnswer ClassifySetup(const SetupPacket& setup) {
  if (setup.requestType == kClassInterfaceIn && setup.request == kGetMaxLun && setup.value == 0 &&
      setup.length == 1) {
    return ControlAnswer::MaxLun;
  }
  if (setup.requestType == kClassInterfaceOut && setup.request == kBulkOnlyReset && setup.value == 0 &&
      setup.length == 0) {
    return ControlAnswer::BulkOnlyReset;
  }
  return ControlAnswer::Stall;
}

}  // namespace qfw::e2e
