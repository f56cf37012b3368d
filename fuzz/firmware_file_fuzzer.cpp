// libFuzzer entry: the firmware-file check on arbitrary files.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qfw::fuzz::MatchFirmwareFileBytes({data, size});
  return 0;
}
