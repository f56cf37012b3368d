#pragma once
// Whether a file's bytes may go to a bridge's flash: a firmware image given
// for the update, or a whole-flash image given to restore. Checked before
// anything is sent to a device.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qfw::cli {

// Why bytes are not a family-13 firmware image (49,408 bytes; marker
// 55 AA AA 55 at 0xBFF0; tag "642" and a revision digit at 0xBFF4; stored
// checksum equal to ImageCrc16; ConfigBlock signature "QR"), or nothing.
std::optional<std::string> Family13ImageProblem(std::span<const std::uint8_t> bytes);

// Why bytes are not a plausible 64 KiB flash image for a controller of the
// family (13: an image as above at its start; 10: ConfigBlock signature and
// a code area that is not blank), or nothing. Other families are refused.
std::optional<std::string> FlashImageProblem(std::span<const std::uint8_t> bytes, std::uint8_t family);

}  // namespace qfw::cli
