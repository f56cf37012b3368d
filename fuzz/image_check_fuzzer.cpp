// libFuzzer entry: the terminal program's checks of a user's image file.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qfw::fuzz::CheckImageBytes({data, size});
  return 0;
}
