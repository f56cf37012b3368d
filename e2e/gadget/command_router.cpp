#include "e2e/gadget/command_router.h"

#include <algorithm>
#include <array>

#include "device/cdb.h"

namespace qfw::e2e {
namespace {

constexpr std::uint8_t kRequestSense = 0x03;
constexpr std::uint8_t kInquiry = 0x12;
constexpr std::array<std::uint8_t, 4> kBridgeOpcodes{kInquiry, 0xFF, 0xDF, 0xE0};

bool IsBridgeCommand(std::uint8_t opcode) {
  return std::find(kBridgeOpcodes.begin(), kBridgeOpcodes.end(), opcode) != kBridgeOpcodes.end();
}

// The CDB as the bridge takes it: 12 bytes, shorter ones padded with zeros
// (the kernel sends INQUIRY as 6 bytes). Nothing when a longer one carries
// anything past byte 12.
std::optional<Cdb> BridgeCdb(std::span<const std::uint8_t> cdb) {
  Cdb padded{};
  const std::size_t kept = std::min(cdb.size(), padded.size());
  if (std::any_of(cdb.begin() + static_cast<std::ptrdiff_t>(kept), cdb.end(), [](std::uint8_t b) { return b != 0; })) {
    return std::nullopt;
  }
  std::copy_n(cdb.begin(), kept, padded.begin());
  return padded;
}

CommandAnswer Unknown() { return CommandAnswer{.checkCondition = kInvalidOpcode}; }

}  // namespace

CommandOutcome CommandRouter::Handle(const Cbw& cbw, std::span<std::uint8_t> dataIn,
                                     std::span<const std::uint8_t> dataOut) {
  const auto cdb = cbw.Cdb();
  if (cdb[0] == kRequestSense) {
    return RequestSense(cdb, dataIn);
  }
  if (DiskModel::Handles(cdb[0])) {
    return Finish(disk_.Answer(cdb, dataIn));
  }
  return ToBridge(cbw, dataIn, dataOut);
}

CommandOutcome CommandRouter::RequestSense(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn) {
  const auto sense = FixedFormatSense(pending_);
  pending_ = kNoSense;
  const std::size_t allocation = cdb.size() > 4 ? cdb[4] : 0;
  const std::size_t length = std::min({sense.size(), allocation, dataIn.size()});
  std::copy_n(sense.begin(), length, dataIn.begin());
  return CommandOutcome{.transferred = length};
}

CommandOutcome CommandRouter::ToBridge(const Cbw& cbw, std::span<std::uint8_t> dataIn,
                                       std::span<const std::uint8_t> dataOut) {
  const auto cdb = BridgeCdb(cbw.Cdb());
  if (!cdb) {
    return Finish(Unknown());
  }
  // A command without data goes as data-in: only data-out opens exclusively.
  const bool in = cbw.dataIn || cbw.dataLength == 0;
  const ScsiRequest request{.direction = in ? DataDirection::In : DataDirection::Out,
                            .cdb = *cdb,
                            .dataIn = in ? dataIn : std::span<std::uint8_t>{},
                            .dataOut = in ? std::span<const std::uint8_t>{} : dataOut};
  const ScsiResult result = bridge_(request);
  if (!result.opened && result.error == TransportError::NoDevice) {
    return CommandOutcome{.deviceGone = true};
  }
  if (!result.completed) {
    pending_ = kInternalTargetFailure;
    return CommandOutcome{.status = CswStatus::PhaseError};
  }
  const std::size_t transferred = std::min<std::size_t>(result.transferred, cbw.dataLength);
  if (transferred == 0 && ((in && cbw.dataLength > 0) || !IsBridgeCommand((*cdb)[0]))) {
    return Finish(Unknown());
  }
  return Finish(CommandAnswer{.transferred = transferred});
}

CommandOutcome CommandRouter::Finish(const CommandAnswer& answer) {
  if (answer.checkCondition) {
    pending_ = *answer.checkCondition;
    return CommandOutcome{.status = CswStatus::Failed};
  }
  pending_ = kNoSense;
  return CommandOutcome{.transferred = answer.transferred};
}

}  // namespace qfw::e2e
