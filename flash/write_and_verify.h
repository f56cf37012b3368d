#pragma once
// Writes a whole image from flash address 0 and proves it by reading it
// back, with up to three attempts in different write modes.

#include <cstdint>
#include <span>
#include <string>

#include "device/context.h"

namespace qfw {

// detect allows identifying the flash by its id answers when the controller
// reports kind 0.
bool WriteAndVerify(const Context& context, const std::string& path, std::span<const std::uint8_t> image,
                    bool detect);

}  // namespace qfw
