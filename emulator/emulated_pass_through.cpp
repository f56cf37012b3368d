#include "emulator/emulated_pass_through.h"

namespace qfw::emu {

ScsiResult EmulatedPassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  return bus_.Execute(path, request);
}

}  // namespace qfw::emu
