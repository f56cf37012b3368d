#pragma once
// Which member of the controller line sits behind a device path. Nothing is
// cached: every call asks the device again.

#include <string>

#include "device/chip_family.h"
#include "device/context.h"

namespace qfw {

// Never fails: a device that answers nothing gives 0. Family 7 alone tells
// the user when its revision cannot be read.
ChipId IdentifyChip(const Context& context, const std::string& path);

// True for families 10 and 13, whatever the revision.
bool IsSupportedFamily(const Context& context, const std::string& path);

// The family-10 variant probe: controller byte 0xFDB1 is 0xB4 or more.
bool ReadVariantFlag(Transport& transport, const std::string& path);

}  // namespace qfw
