#pragma once
// Whether a firmware file fits a controller, judged by the chip family and
// revision and by a 10-byte header record in the file; the image's code and
// checksum are not looked at.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "device/chip_family.h"
#include "device/message_box.h"

namespace qfw {

inline constexpr std::size_t kFirmwareTagRecordSize = 10;
using FirmwareTagRecord = std::array<std::uint8_t, kFirmwareTagRecordSize>;

// Where the header records lie in a file.
inline constexpr std::uint32_t kPrimaryRecordOffset = 0;
inline constexpr std::uint32_t kSecondaryRecordOffset = 0x1000;  // families 6, 8, 9, 10
inline constexpr std::uint32_t kFamily11RecordOffset = 0x4000;

// The record at a file offset; bytes past the end of the file read as zero.
using FirmwareRecordReader = std::function<FirmwareTagRecord(std::uint32_t offset)>;

// The decision on records already at hand.
bool MatchFirmwareRecords(const FirmwareRecordReader& read, ChipId chipId);

// Opens the file read-only and decides. A file that cannot be opened is
// reported with "Open Firmware File Error!!" and does not fit.
bool MatchFirmwareFile(const std::string& fileName, ChipId chipId, MessageBox& messages);

}  // namespace qfw
