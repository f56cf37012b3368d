#pragma once
// The developer panel's update procedures for the older controllers, as
// the panel's Run button starts them on the selected device: the details
// refresh identifies it (and its AMIC part), then the procedure runs and
// reports through its status texts.

#include <memory>

#include "tests/reliability/swept_path.h"

namespace qfw::test {

// The serial-flash procedure on a PMC part (sector erases at 0 and 0x8000)
// and on a bottom-boot AMIC part (the AMIC erase plan).
std::unique_ptr<SweptPath> SerialFlashPmcPath();
std::unique_ptr<SweptPath> SerialFlashAmicPath();
std::unique_ptr<SweptPath> Family6NvramPath();
std::unique_ptr<SweptPath> RomPath();

}  // namespace qfw::test
