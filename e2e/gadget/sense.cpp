#include "e2e/gadget/sense.h"

namespace qfw::e2e {
namespace {

constexpr std::uint8_t kCurrentErrorFixed = 0x70;

}  // namespace

std::array<std::uint8_t, kFixedSenseLength> FixedFormatSense(const Sense& sense) {
  std::array<std::uint8_t, kFixedSenseLength> bytes{};
  bytes[0] = kCurrentErrorFixed;
  bytes[2] = sense.key;
  bytes[7] = kFixedSenseLength - 8;  // additional sense length
  bytes[12] = sense.asc;
  bytes[13] = sense.ascq;
  return bytes;
}

}  // namespace qfw::e2e
