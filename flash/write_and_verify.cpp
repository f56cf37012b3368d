#include "flash/write_and_verify.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/chunked_transfer.h"
#include "flash/zeroed_buffer.h"

namespace qfw {
namespace {

// Write modes of the three attempts: block, start, sector.
constexpr std::array<std::uint8_t, 3> kAttemptModes{2, 3, 1};

// MXIC flashes get one block-mode write of the first 4 KiB before the
// attempts, followed by this pause when the bridge accepted it.
constexpr std::uint32_t kPreparatoryLength = 4096;
constexpr std::uint8_t kPreparatoryMode = 2;
constexpr std::chrono::milliseconds kPreparatoryPause{500};

// The kind the bridge reports; when it reports none and detect is set, the
// kind found from the flash's id answers. A failed kind read means kind 0.
FlashKind FindFlashKind(const Context& context, const std::string& path, bool detect) {
  std::array<std::uint8_t, 4> answer{};
  if (!CmdReadFlashKind(context.transport, path, answer)) return kFlashKindUnknown;
  const FlashKind reported = answer[0];
  if (reported != kFlashKindUnknown || !detect) return reported;
  FlashDetection detection;
  return DetectFlashKind(context.transport, path, detection) ? detection.kind : reported;
}

void PrepareMxicFlash(const Context& context, const std::string& path, std::span<const std::uint8_t> image) {
  WaitFlashReady(context, path);
  const auto head = image.first(std::min<std::size_t>(image.size(), kPreparatoryLength));
  if (CmdWriteFlashBlock(context.transport, path, 0, head, kPreparatoryMode)) {
    context.host.clock.Sleep(kPreparatoryPause);
  }
}

// One write, read-back and comparison of the whole image.
bool Attempt(const Context& context, const std::string& path, std::span<const std::uint8_t> image,
             std::span<std::uint8_t> readBack, std::uint8_t mode, FlashKind kind) {
  const bool written = WriteFlash(context, path, 0, image, mode, kind);
  WaitFlashReady(context, path);
  return written && ReadFlash(context, path, 0, readBack) && std::ranges::equal(image, readBack);
}

}  // namespace

bool WriteAndVerify(const Context& context, const std::string& path, std::span<const std::uint8_t> image,
                    bool detect) {
  if (image.empty()) return false;
  auto readBack = AllocateZeroed(image.size());
  if (!readBack) return false;

  WaitFlashReady(context, path);
  const FlashKind kind = FindFlashKind(context, path, detect);
  if (kind == kFlashKindMxic) PrepareMxicFlash(context, path, image);

  for (const std::uint8_t mode : kAttemptModes) {
    if (Attempt(context, path, image, *readBack, mode, kind)) return true;
  }
  return false;
}

}  // namespace qfw
