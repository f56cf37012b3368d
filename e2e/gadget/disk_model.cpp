#include "e2e/gadget/disk_model.h"

#include <algorithm>
#include <array>

#include "device/bytes.h"

namespace qfw::e2e {
namespace {

constexpr std::uint8_t kTestUnitReady = 0x00;
constexpr std::uint8_t kModeSense6 = 0x1A;
constexpr std::uint8_t kPreventAllowMediumRemoval = 0x1E;
constexpr std::uint8_t kReadCapacity10 = 0x25;
constexpr std::uint8_t kRead10 = 0x28;
constexpr std::uint8_t kSynchronizeCache10 = 0x35;
constexpr std::uint8_t kModeSense10 = 0x5A;

constexpr std::array kDiskOpcodes{kTestUnitReady, kModeSense6, kPreventAllowMediumRemoval, kReadCapacity10,
                                  kRead10, kSynchronizeCache10, kModeSense10};

// Fixed minimum CDB lengths by group: 6 bytes for 0x00-0x1F, 10 for 0x20-0x5F.
std::size_t MinimumCdbLength(std::uint8_t opcode) { return opcode < 0x20 ? 6 : 10; }

void PutBe32(std::span<std::uint8_t, 4> out, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  }
}

std::uint32_t GetBe32(std::span<const std::uint8_t, 4> in) {
  return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) | (std::uint32_t{in[2]} << 8) | in[3];
}

// Copies what the host asked for (allocation length and data phase) of an answer.
CommandAnswer Give(std::span<const std::uint8_t> answer, std::size_t allocation, std::span<std::uint8_t> dataIn) {
  const std::size_t length = std::min({answer.size(), allocation, dataIn.size()});
  std::copy_n(answer.begin(), length, dataIn.begin());
  return CommandAnswer{.transferred = length};
}

CommandAnswer Fail(const Sense& sense) { return CommandAnswer{.checkCondition = sense}; }

}  // namespace

bool DiskModel::Handles(std::uint8_t opcode) {
  return std::find(kDiskOpcodes.begin(), kDiskOpcodes.end(), opcode) != kDiskOpcodes.end();
}

CommandAnswer DiskModel::Answer(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const {
  if (cdb.empty() || !Handles(cdb[0])) {
    return Fail(kInvalidOpcode);
  }
  if (cdb.size() < MinimumCdbLength(cdb[0])) {
    return Fail(kInvalidFieldInCdb);
  }
  switch (cdb[0]) {
    case kModeSense6:
      return ModeSense6(cdb, dataIn);
    case kModeSense10:
      return ModeSense10(cdb, dataIn);
    case kReadCapacity10:
      return ReadCapacity10(dataIn);
    case kRead10:
      return Read10(cdb, dataIn);
    default:
      return CommandAnswer{};  // no data, nothing to do: GOOD
  }
}

// The mode parameter header alone: no block descriptors, no pages (the
// driver then assumes a write-through cache), not write protected.
CommandAnswer DiskModel::ModeSense6(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const {
  const std::array<std::uint8_t, 4> header{3, 0x00, 0x00, 0x00};
  return Give(header, cdb[4], dataIn);
}

CommandAnswer DiskModel::ModeSense10(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const {
  const std::array<std::uint8_t, 8> header{0, 6, 0x00, 0x00, 0, 0, 0, 0};
  return Give(header, GetBe16(cdb.subspan<7, 2>()), dataIn);
}

CommandAnswer DiskModel::ReadCapacity10(std::span<std::uint8_t> dataIn) const {
  std::array<std::uint8_t, 8> capacity{};
  PutBe32(std::span(capacity).first<4>(), blockCount_ - 1);
  PutBe32(std::span(capacity).last<4>(), kBlockSize);
  return Give(capacity, capacity.size(), dataIn);
}

CommandAnswer DiskModel::Read10(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const {
  const std::uint64_t first = GetBe32(cdb.subspan<2, 4>());
  const std::uint64_t count = GetBe16(cdb.subspan<7, 2>());
  if (first + count > blockCount_) {
    return Fail(kLbaOutOfRange);
  }
  const std::size_t length = std::min<std::size_t>(count * kBlockSize, dataIn.size());
  std::fill_n(dataIn.begin(), length, std::uint8_t{0});
  return CommandAnswer{.transferred = length};
}

}  // namespace qfw::e2e
