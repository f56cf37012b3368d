#include "flash/chunked_transfer.h"

#include <algorithm>

#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/zeroed_buffer.h"

namespace qfw {
namespace {

// The first chunk written at flash address 0 is never longer than this.
constexpr std::uint32_t kFirstChunkLimit = 4096;
// Set on the mode of the chunk at address 0 of an MXIC flash.
constexpr std::uint8_t kMxicStartFlag = 0x80;

enum class ModeClass { None, Sector, Block, Start };

constexpr ModeClass ClassOf(std::uint8_t mode) {
  switch (mode) {
    case 1:
    case 4:
      return ModeClass::Sector;
    case 2:
    case 5:
      return ModeClass::Block;
    case 3:
    case 6:
    case 7:
      return ModeClass::Start;
    default:  // 0, and everything above 7
      return ModeClass::None;
  }
}

// A kind the tables do not know is treated like an unknown flash (kind 0).
constexpr std::size_t TableIndex(FlashKind kind) { return kind < kFlashKindCount ? kind : kFlashKindUnknown; }

constexpr std::uint32_t UnitSize(ModeClass modeClass, FlashKind kind) {
  return modeClass == ModeClass::Sector ? SectorSizeByKind[TableIndex(kind)] : BlockSizeByKind[TableIndex(kind)];
}

// The length raised to the next multiple of the 512-byte granule.
std::size_t RaisedLength(std::size_t length) {
  return (length + kTransferGranule - 1) / kTransferGranule * kTransferGranule;
}

// The staging buffer is a plain vector of the raised length: the kernel's
// pass-through takes any host address, so it needs no 8 KiB alignment.
std::optional<std::vector<std::uint8_t>> StagingBuffer(std::size_t length) {
  return AllocateZeroed(RaisedLength(length));
}

}  // namespace

std::uint8_t PlanWriteChunk(std::uint32_t address, std::uint32_t& length, std::uint8_t writeMode,
                            std::uint32_t& boundaryCounter, FlashKind kind) {
  const ModeClass modeClass = ClassOf(writeMode);
  if (modeClass == ModeClass::None) return 0;
  if (modeClass == ModeClass::Start) return address == 0 ? writeMode : 0;

  const std::uint64_t unit = UnitSize(modeClass, kind);
  std::uint8_t mode = 0;
  if (unit * boundaryCounter <= address) {
    // The chunk begins a unit. The counter moves to the end of the unit
    // holding the chunk, so a write that starts beyond the first unit still
    // cuts at every later boundary and marks the first chunk in each unit.
    boundaryCounter = static_cast<std::uint32_t>(address / unit + 1);
    mode = writeMode;
  }
  const std::uint64_t boundary = unit * boundaryCounter;
  if (std::uint64_t{address} + length >= boundary) {
    length = static_cast<std::uint32_t>(boundary - address);
  }
  return mode;
}

bool ReadFlash(const Context& context, const std::string& path, std::uint32_t address,
               std::span<std::uint8_t> destination) {
  if (destination.empty()) return false;
  auto staging = StagingBuffer(destination.size());
  if (!staging) return false;
  const std::span<std::uint8_t> buffer(*staging);

  bool result = false;
  for (std::size_t offset = 0; offset < buffer.size();) {
    const auto chunk = buffer.subspan(offset, std::min<std::size_t>(buffer.size() - offset, TransferChunkSize));
    WaitFlashReady(context, path);
    // A controller whose firmware lacks the block commands completes the
    // request without data; only a whole chunk counts as read.
    const TransferResult read =
        CmdReadFlashBlock(context.transport, path, address + static_cast<std::uint32_t>(offset), chunk);
    result = read.ok && read.transferred == chunk.size();
    if (!result) {
      // Whatever a failed command left behind is not flash content.
      std::ranges::fill(chunk, 0);
      break;
    }
    offset += chunk.size();
  }
  std::ranges::copy(buffer.first(destination.size()), destination.begin());
  return result;
}

bool WriteFlash(const Context& context, const std::string& path, std::uint32_t address,
                std::span<const std::uint8_t> source, std::uint8_t writeMode, FlashKind kind) {
  if (source.empty()) return false;
  auto staging = StagingBuffer(source.size());
  if (!staging) return false;
  std::ranges::copy(source, staging->begin());
  const std::span<const std::uint8_t> buffer(*staging);

  std::uint32_t boundaryCounter = 0;
  for (std::size_t offset = 0; offset < buffer.size();) {
    const std::uint32_t chunkAddress = address + static_cast<std::uint32_t>(offset);
    auto length = static_cast<std::uint32_t>(std::min<std::size_t>(buffer.size() - offset, TransferChunkSize));
    if (chunkAddress == 0) length = std::min(length, kFirstChunkLimit);
    std::uint8_t mode = PlanWriteChunk(chunkAddress, length, writeMode, boundaryCounter, kind);
    if (chunkAddress == 0 && kind == kFlashKindMxic && mode != 0) mode |= kMxicStartFlag;
    WaitFlashReady(context, path);
    if (!CmdWriteFlashBlock(context.transport, path, chunkAddress, buffer.subspan(offset, length), mode)) {
      return false;
    }
    offset += length;
  }
  return true;
}

}  // namespace qfw
