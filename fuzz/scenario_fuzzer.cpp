// libFuzzer entry: the scenario-file parser.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qfw::fuzz::ParseScenarioText({data, size});
  return 0;
}
