#include "e2e/gadget/bulk_only.h"

#include <algorithm>

#include "device/bytes.h"

namespace qfw::e2e {
namespace {

constexpr std::uint8_t kDirectionIn = 0x80;
constexpr std::uint8_t kReservedFlags = 0x7F;
constexpr std::uint8_t kCdbLengthMask = 0x1F;

}  // namespace

std::optional<Cbw> ParseCbw(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kCbwLength || GetLe32(bytes.first<4>()) != kCbwSignature) {
    return std::nullopt;
  }
  const std::uint8_t flags = bytes[12];
  const std::uint8_t lunByte = bytes[13];
  const std::uint8_t lengthByte = bytes[14];
  const std::uint8_t cdbLength = lengthByte & kCdbLengthMask;
  if ((flags & kReservedFlags) != 0 || lunByte != 0 || (lengthByte & ~kCdbLengthMask) != 0 || cdbLength == 0 ||
      cdbLength > kMaxCdbLength) {
    return std::nullopt;
  }
  Cbw cbw;
  cbw.tag = GetLe32(bytes.subspan<4, 4>());
  cbw.dataLength = GetLe32(bytes.subspan<8, 4>());
  cbw.dataIn = (flags & kDirectionIn) != 0;
  cbw.lun = lunByte;
  cbw.cdbLength = cdbLength;
  std::copy_n(bytes.begin() + 15, cdbLength, cbw.cdbBytes.begin());
  return cbw;
}

std::array<std::uint8_t, kCswLength> BuildCsw(std::uint32_t tag, std::uint32_t residue, CswStatus status) {
  std::array<std::uint8_t, kCswLength> csw{};
  const std::span bytes(csw);
  PutLe32(bytes.first<4>(), kCswSignature);
  PutLe32(bytes.subspan<4, 4>(), tag);
  PutLe32(bytes.subspan<8, 4>(), residue);
  csw[12] = static_cast<std::uint8_t>(status);
  return csw;
}

}  // namespace qfw::e2e
