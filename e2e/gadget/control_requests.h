#pragma once
// The class requests of a Bulk-Only mass-storage interface on ep0: Get Max
// LUN (answered with 0, one LUN) and the Bulk-Only Mass Storage Reset
// (acknowledged). Every other request is stalled.

#include <cstdint>

namespace qfw::e2e {

enum class ControlAnswer { MaxLun, BulkOnlyReset, Stall };

struct SetupPacket {
  std::uint8_t requestType = 0;
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;
};

ControlAnswer ClassifySetup(const SetupPacket& setup);

}  // namespace qfw::e2e
