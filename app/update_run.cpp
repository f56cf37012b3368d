#include "app/update_run.h"

#include <array>

#include "app/config_merge.h"
#include "device/chip_identification.h"
#include "device/commands.h"
#include "device/flash_identification.h"
#include "flash/chunked_transfer.h"
#include "flash/embedded_image.h"
#include "flash/family10_fallback.h"
#include "flash/image_assembly.h"
#include "flash/image_layout.h"

namespace qfw {
namespace {

constexpr std::uint32_t kConfigAddress10 = 0;
constexpr std::uint32_t kMemoryBitAddress = 0x7058;
constexpr std::uint8_t kMemoryBitMask = 0x01;
constexpr std::uint8_t kBlockCommandRevision = 9;  // the variant that takes block commands unprobed

UpdateOutcome Failed(UpdateOutcome outcome, UpdateFailure failure) {
  outcome.failure = failure;
  return outcome;
}

UpdateOutcome Programmed(UpdateOutcome outcome, UpdateProcedure procedure, std::span<const std::uint8_t> block,
                         bool result) {
  outcome.programmed = procedure;
  outcome.configBlock.assign(block.begin(), block.end());
  outcome.result = result;
  if (!result) outcome.failure = UpdateFailure::ProgrammingFailed;
  return outcome;
}

UpdateOutcome Update13(const Context& context, const std::string& path, UpdateOutcome outcome) {
  std::array<std::uint8_t, kConfigSize13> imageBlock{};
  std::array<std::uint8_t, kConfigSize13> deviceBlock{};
  const std::size_t imageSize = LoadEmbeddedImage(context, path, imageBlock, kConfigOffset13, kConfigSize13, true);
  if (imageSize < kConfigOffset13 + kConfigSize13) return Failed(outcome, UpdateFailure::NoEmbeddedImage);
  if (!ReadFlash(context, path, kConfigOffset13, deviceBlock)) {
    return Failed(outcome, UpdateFailure::ConfigBlockUnreadable);
  }
  const auto block = MergeFamily13Block(deviceBlock, imageBlock);
  outcome = Programmed(outcome, UpdateProcedure::Family13Block, block,
                       ProgramFamily13Image(context, path, true, true, block));
  if (outcome.result) {
    CmdDeviceReset(context.transport, path);
    outcome.resetSent = true;
  }
  return outcome;
}

bool ReadMemoryBit(Transport& transport, const std::string& path) {
  std::array<std::uint8_t, 4> memory{};
  return CmdReadMemory(transport, path, memory, kMemoryBitAddress) && (memory[0] & kMemoryBitMask) != 0;
}

// The device's family-10 ConfigBlock, read with the commands its firmware
// takes: a controller without the block commands answers them without data,
// so its block is read with the older flash read.
bool ReadConfigBlock10(const Context& context, const std::string& path, bool blockCommands,
                       std::span<std::uint8_t, kConfigSize10> block) {
  if (blockCommands) {
    return ReadFlash(context, path, kConfigAddress10, block);
  }
  WaitFlashReady(context, path);
  return CmdFlashRead(context.transport, path, kConfigAddress10, block);
}

// The embedded image is looked for first: without one nothing else is sent
// but reads.
UpdateOutcome Update10(const Context& context, const TransferSettings& settings, const std::string& path,
                       std::uint8_t revision, UpdateOutcome outcome) {
  std::array<std::uint8_t, kConfigSize10> imageBlock{};
  std::array<std::uint8_t, kConfigSize10> deviceBlock{};
  const std::size_t imageSize = LoadEmbeddedImage(context, path, imageBlock, 0, kConfigSize10, false);
  if (imageSize <= kConfigSize10) return Failed(outcome, UpdateFailure::NoEmbeddedImage);
  const bool useBlockCommands = ProbeBlockCommandSupport(context.transport, path, kFamilyQrs641);
  CmdPrepareFlash(context.transport, path);
  const bool memoryBit = ReadMemoryBit(context.transport, path);
  const bool blockPath = useBlockCommands || revision == kBlockCommandRevision;
  if (!ReadConfigBlock10(context, path, blockPath, deviceBlock)) {
    return Failed(outcome, UpdateFailure::ConfigBlockUnreadable);
  }
  const auto block = MergeFamily10Block(deviceBlock, imageBlock, memoryBit);
  if (blockPath) {
    return Programmed(outcome, UpdateProcedure::Family10Block, block,
                      ProgramFamily10Image(context, path, true, true, block));
  }
  return Programmed(outcome, UpdateProcedure::Family10Legacy, block,
                    ProgramFamily10ImageLegacy(context, settings, path, true, true, block));
}

}  // namespace

// The device at path is asked who it is before anything else: a device
// plugged in there since the details refresh identified the path (before
// the rescan noticed) was never identified, and nothing is written to it.
UpdateOutcome RunUpdate(const Context& context, const TransferSettings& settings, const std::string& path,
                        ChipId chipId) {
  UpdateOutcome outcome;
  outcome.family = ChipFamilyOf(chipId);
  if ((outcome.family == kFamilyQrs642 || outcome.family == kFamilyQrs641) && IdentifyChip(context, path) != chipId) {
    return Failed(outcome, UpdateFailure::DeviceChanged);
  }
  switch (outcome.family) {
    case kFamilyQrs642:
      return Update13(context, path, outcome);
    case kFamilyQrs641:
      return Update10(context, settings, path, ChipRevisionOf(chipId), outcome);
    default:
      return Failed(outcome, UpdateFailure::UnsupportedFamily);
  }
}

}  // namespace qfw
