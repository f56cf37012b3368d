#pragma once
// The two size settings of the legacy procedures, with their start values.

#include <cstdint>

namespace qfw {

struct TransferSettings {
  std::int32_t firmwareSize = 65536;      // FirmwareSizeSetting
  std::int32_t transferPageSize = 16384;  // TransferPageSize
};

}  // namespace qfw
