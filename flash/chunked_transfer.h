#pragma once
// Block-command reads and writes of any range of the serial flash, cut into
// chunks of at most 8 KiB, with the per-chunk erase mode planner.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "device/context.h"
#include "device/flash_kind.h"

namespace qfw {

inline constexpr std::uint32_t TransferChunkSize = 8192;
inline constexpr std::uint32_t kTransferGranule = 512;

// Erase units by flash kind.
inline constexpr std::array<std::uint32_t, kFlashKindCount> BlockSizeByKind{
    32768, 32768, 32768, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536};
inline constexpr std::array<std::uint32_t, kFlashKindCount> SectorSizeByKind{
    4096, 4096, 4096, 32768, 32768, 4096, 4096, 4096, 32768, 4096, 4096};

// Reads destination.size() bytes from the flash at address. True when every
// chunk was read.
bool ReadFlash(const Context& context, const std::string& path, std::uint32_t address,
               std::span<std::uint8_t> destination);

// Writes source to the flash at address with the requested write mode. True
// when every chunk was accepted; nothing is read back.
bool WriteFlash(const Context& context, const std::string& path, std::uint32_t address,
                std::span<const std::uint8_t> source, std::uint8_t writeMode, FlashKind kind);

// The mode byte for the chunk at address; may shorten length so the chunk
// ends at an erase-unit boundary and may advance boundaryCounter.
std::uint8_t PlanWriteChunk(std::uint32_t address, std::uint32_t& length, std::uint8_t writeMode,
                            std::uint32_t& boundaryCounter, FlashKind kind);

}  // namespace qfw
