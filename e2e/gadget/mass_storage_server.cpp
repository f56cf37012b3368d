#include "e2e/gadget/mass_storage_server.h"

#include <algorithm>
#include <array>

#include "device/bytes.h"

namespace qfw::e2e {
namespace {

// Room for a CBW and more, so that an over-long one is seen as such.
constexpr std::size_t kCbwBufferSize = 512;

const char* StatusName(const CommandOutcome& outcome) {
  if (outcome.deviceGone) return "gone";
  switch (outcome.status) {
    case CswStatus::Passed:
      return "good";
    case CswStatus::Failed:
      return "check-condition";
    case CswStatus::PhaseError:
      return "phase-error";
  }
  return "?";
}

}  // namespace

ServeStep MassStorageServer::ServeOne() {
  std::array<std::uint8_t, kCbwBufferSize> raw{};
  const auto received = pipe_.Receive(raw);
  if (!received) {
    return ServeStep::PipeFailed;
  }
  const auto cbw = ParseCbw(std::span(raw).first(*received));
  if (!cbw) {
    if (log_ != nullptr) *log_ << "dropped " << *received << " bytes that are no CBW\n";
    return ServeStep::BadCbw;
  }
  buffer_.assign(cbw->dataLength, 0x00);
  const std::span data(buffer_);
  const bool dataOut = !cbw->dataIn && cbw->dataLength > 0;
  if (dataOut) {
    // One transfer, ending when the buffer is full or at a short packet.
    const auto got = pipe_.Receive(data);
    if (!got) {
      return ServeStep::PipeFailed;
    }
    if (*got < cbw->dataLength) {
      return RefuseShortDataOut(*cbw, *got);
    }
  }
  const CommandOutcome outcome =
      dataOut ? router_.Handle(*cbw, {}, data) : router_.Handle(*cbw, data, {});
  Log(*cbw, outcome);
  if (outcome.deviceGone) {
    return ServeStep::DeviceGone;
  }
  const std::size_t transferred = std::min<std::size_t>(outcome.transferred, cbw->dataLength);
  if (cbw->dataIn && cbw->dataLength > 0 && !SendDataIn(data.first(transferred), cbw->dataLength)) {
    return ServeStep::PipeFailed;
  }
  const auto residue = static_cast<std::uint32_t>(cbw->dataLength - transferred);
  return pipe_.Send(BuildCsw(cbw->tag, residue, outcome.status)) ? ServeStep::Served : ServeStep::PipeFailed;
}

// The host sent less than its CBW announced: the command does not run on
// part of its data, and the phase error makes the host reset the device.
ServeStep MassStorageServer::RefuseShortDataOut(const Cbw& cbw, std::size_t received) {
  if (log_ != nullptr) {
    *log_ << "short data-out " << HexBytes(cbw.Cdb()) << " " << received << " of " << cbw.dataLength
          << " -> phase-error\n";
  }
  const auto residue = static_cast<std::uint32_t>(cbw.dataLength - received);
  return pipe_.Send(BuildCsw(cbw.tag, residue, CswStatus::PhaseError)) ? ServeStep::Served : ServeStep::PipeFailed;
}

bool MassStorageServer::SendDataIn(std::span<const std::uint8_t> data, std::uint32_t expected) {
  if (!data.empty() && !pipe_.Send(data)) {
    return false;
  }
  const std::size_t packet = pipe_.InPacketSize();
  const bool endsOnPacketBoundary = packet == 0 || data.size() % packet == 0;
  if (data.size() < expected && endsOnPacketBoundary) {
    return pipe_.Send({});
  }
  return true;
}

void MassStorageServer::Log(const Cbw& cbw, const CommandOutcome& outcome) const {
  if (log_ == nullptr) {
    return;
  }
  *log_ << (cbw.dataIn ? "in  " : "out ") << HexBytes(cbw.Cdb()) << " " << cbw.dataLength << " -> "
        << StatusName(outcome) << " " << outcome.transferred << "\n";
}

}  // namespace qfw::e2e
