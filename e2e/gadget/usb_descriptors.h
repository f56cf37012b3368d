#pragma once
// What the gadget writes to its FunctionFS ep0 before it can be bound: the
// descriptors of one mass-storage interface (class 08 SCSI transparent 06,
// Bulk-Only 50) with a bulk IN and a bulk OUT endpoint, for full and high
// speed, and its one string.
//
// FunctionFS numbers the endpoint files in the order of the descriptors:
// ep1 is bulk IN, ep2 bulk OUT.

#include <cstdint>
#include <string_view>
#include <vector>

namespace qfw::e2e {

inline constexpr std::uint8_t kBulkInAddress = 0x81;
inline constexpr std::uint8_t kBulkOutAddress = 0x02;
inline constexpr std::uint16_t kFullSpeedBulkPacket = 64;
inline constexpr std::uint16_t kHighSpeedBulkPacket = 512;

std::vector<std::uint8_t> MassStorageDescriptors();
std::vector<std::uint8_t> InterfaceStrings(std::string_view interfaceName);

}  // namespace qfw::e2e
