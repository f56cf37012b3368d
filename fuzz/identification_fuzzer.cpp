// libFuzzer entry: identification and flash detection against a device
// whose answers are the input.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qfw::fuzz::IdentifyFromAnswers({data, size});
  return 0;
}
