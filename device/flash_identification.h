#pragma once
// The serial flash behind a controller: the ready wait, raw id queries, the
// AMIC model and the flash kind.

#include <cstdint>
#include <span>
#include <string>

#include "device/context.h"
#include "device/flash_kind.h"

namespace qfw {

inline constexpr std::chrono::milliseconds kFlashPollInterval{10};
inline constexpr int kFlashPollLimit = 502;

// True when the flash reported not busy, polling every 10 ms for at most
// 502 re-reads. A status read that fails counts as busy; a device that can
// no longer be opened (gone) ends the wait at once with false.
bool WaitFlashReady(const Context& context, const std::string& path);

// Sends one opcode to the flash chip and reads its answer into buffer.
bool SpiQuery(Transport& transport, const std::string& path, std::uint8_t opcode, std::span<std::uint8_t> buffer);

// 1, 3, 4 or 5 for the recognised AMIC models, -1 otherwise.
int DetectAmicFlash(Transport& transport, const std::string& path);

// Identifies the chip by its id answers. False when nothing matched; the
// detection then holds kind 0 and the common opcode set.
bool DetectFlashKind(Transport& transport, const std::string& path, FlashDetection& detection);

}  // namespace qfw
