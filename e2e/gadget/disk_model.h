#pragma once
// The disk behind the bridge as the kernel's disk driver sees it: a small
// blank disk that answers the commands sd sends while it settles on a new
// device (TEST UNIT READY, MODE SENSE, READ CAPACITY, READ ...). The
// bridge's own commands, INQUIRY among them, are not its business.

#include <cstdint>
#include <optional>
#include <span>

#include "e2e/gadget/sense.h"

namespace qfw::e2e {

// How a command ended: the bytes its data phase moved, and the sense of a
// CHECK CONDITION.
struct CommandAnswer {
  std::size_t transferred = 0;
  std::optional<Sense> checkCondition;
};

class DiskModel {
 public:
  static constexpr std::uint32_t kBlockSize = 512;

  explicit DiskModel(std::uint32_t blockCount) : blockCount_(blockCount) {}

  // Whether the command with this operation code is the disk's to answer.
  static bool Handles(std::uint8_t opcode);

  // Answers one of the commands Handles() accepts. The disk reads as zeros.
  CommandAnswer Answer(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const;

 private:
  CommandAnswer ModeSense6(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const;
  CommandAnswer ModeSense10(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const;
  CommandAnswer ReadCapacity10(std::span<std::uint8_t> dataIn) const;
  CommandAnswer Read10(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) const;

  std::uint32_t blockCount_;
};

}  // namespace qfw::e2e
