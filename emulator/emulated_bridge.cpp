#include "emulator/emulated_bridge.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace qfw::emu {
namespace {

void Patch(std::vector<std::uint8_t>& memory, std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
  if (address + bytes.size() > memory.size()) {
    throw std::invalid_argument("controller memory bytes run past 0xFFFF");
  }
  std::copy(bytes.begin(), bytes.end(), memory.begin() + address);
}

std::optional<ParallelRom> BuildRom(const DeviceConfig& config, Clock& clock) {
  if (!config.rom) {
    return std::nullopt;
  }
  std::optional<ParallelRom> rom(std::in_place, config.rom->type, clock);
  rom->Load(config.rom->contents);
  return rom;
}

std::vector<std::uint8_t> BuildMemory(const DeviceConfig& config) {
  std::vector<std::uint8_t> memory(kControllerMemorySize, 0x00);
  if (config.blockSupport) {
    const BlockSupportBytes& probe = *config.blockSupport;
    Patch(memory, probe.address, config.blockCommands ? probe.whenOn : probe.whenOff);
  }
  for (const MemoryPatch& patch : config.memory) {
    Patch(memory, patch.address, patch.bytes);
  }
  return memory;
}

}  // namespace

EmulatedBridge::EmulatedBridge(DeviceConfig config, Clock& clock)
    : config_(std::move(config)),
      clock_(clock),
      flash_(config_.flash.size, config_.flash.Geometry(), clock),
      rom_(BuildRom(config_, clock)),
      memory_(BuildMemory(config_)),
      attached_(config_.attached),
      heldOpen_(config_.faults.heldOpen),
      permissionDenied_(config_.permissionDenied) {
  flash_.Load(config_.flash.contents);
  for (const CommandFailure& failure : config_.faults.failures) {
    FailCommands(failure);
  }
  for (const ByteFlip& flip : config_.faults.flips) {
    FlipOnRead(flip);
  }
  SetStayBusy(config_.faults.stayBusy);
  SetRomStayBusy(config_.faults.romStayBusy);
  ResetControllerState();
  if (config_.faults.vanishAfter) {
    VanishAfter(*config_.faults.vanishAfter);
  }
}

bool EmulatedBridge::Present() const { return attached_ && !vanished_ && clock_.Now() >= reattachAt_; }

ScsiResult EmulatedBridge::Handle(const ScsiRequest& request) { return Handle(request, config_.interfaceClass); }

ScsiResult EmulatedBridge::Handle(const ScsiRequest& request, InterfaceClass via) {
  if (const auto error = OpenError(request)) {
    return ScsiResult{.error = *error, .detail = TransportErrorName(*error)};
  }
  LogEntry entry{.time = clock_.Now(), .direction = request.direction, .dataLength = request.DataLength()};
  std::copy_n(request.cdb.begin(), std::min(request.cdb.size(), kCdbLength), entry.cdb.begin());
  if (request.direction == DataDirection::Out) {
    entry.dataOut.assign(request.dataOut.begin(), request.dataOut.end());
  }
  ScsiResult result;
  if (ShouldFail(request.cdb)) {
    result = ScsiResult{.opened = true, .error = TransportError::Io, .detail = "injected command failure"};
  } else {
    result = Dispatch(request, via);
  }
  entry.completed = result.completed;
  entry.transferred = result.transferred;
  log_.push_back(std::move(entry));
  CountTowardsVanishing();
  return result;
}

std::optional<TransportError> EmulatedBridge::OpenError(const ScsiRequest& request) const {
  if (!Present()) {
    return TransportError::NoDevice;
  }
  if (permissionDenied_) {
    return TransportError::AccessDenied;
  }
  if (heldOpen_ && request.Exclusive()) {
    return TransportError::Busy;
  }
  return std::nullopt;
}

ScsiResult EmulatedBridge::Dispatch(const ScsiRequest& request, InterfaceClass via) {
  if (request.cdb.size() != kCdbLength) {
    return Malformed("the CDB must be 12 bytes");
  }
  Cdb cdb{};
  std::copy(request.cdb.begin(), request.cdb.end(), cdb.begin());
  const bool in = request.direction == DataDirection::In;
  for (const Route& route : Routes()) {
    if (!Supports(route.needs) || !route.pattern.Matches(cdb)) {
      continue;
    }
    if (request.DataLength() > 0 && request.direction != route.direction) {
      return ScsiResult{.opened = true, .error = TransportError::DriverError,
                        .detail = "data phase in the wrong direction"};
    }
    const Exchange exchange{.cdb = cdb,
                            .dataIn = in ? request.dataIn : std::span<std::uint8_t>{},
                            .dataOut = in ? std::span<const std::uint8_t>{} : request.dataOut,
                            .via = via};
    return (this->*route.handler)(exchange);
  }
  return Completed(0);  // CHECK CONDITION: an unknown command
}

bool EmulatedBridge::ShouldFail(std::span<const std::uint8_t> cdb) {
  bool fail = false;
  for (ArmedFailure& armed : failures_) {
    const auto& prefix = armed.failure.prefix;
    if (prefix.size() > cdb.size() || !std::equal(prefix.begin(), prefix.end(), cdb.begin())) {
      continue;
    }
    ++armed.matches;
    fail = fail || (armed.matches >= armed.failure.nth && armed.matches < armed.failure.nth + armed.failure.count);
  }
  return fail;
}

void EmulatedBridge::CountTowardsVanishing() {
  if (commandsBeforeVanishing_ && --*commandsBeforeVanishing_ <= 0) {
    VanishAfter(0);
  }
}

void EmulatedBridge::ResetControllerState() {
  inMode_ = false;
  spiAnswer_.reset();
  romSequence_.reset();
  runsFromInternalRom_ = config_.rom && config_.rom->a1Chip;
}

void EmulatedBridge::ApplyFlips(std::uint32_t address, std::span<std::uint8_t> data) const {
  const std::uint32_t size = flash_.Size();
  for (const ByteFlip& flip : flips_) {
    const std::size_t first = (flip.address % size + size - address % size) % size;
    for (std::size_t i = first; i < data.size(); i += size) {
      data[i] ^= flip.mask;
    }
  }
}

void EmulatedBridge::Unplug() {
  if (attached_) {
    attached_ = false;
    ++detachCount_;
  }
}

void EmulatedBridge::Plug() {
  if (Present()) {
    return;
  }
  attached_ = true;
  vanished_ = false;
  commandsBeforeVanishing_.reset();
  reattachAt_ = clock_.Now();
  ResetControllerState();
}

void EmulatedBridge::FailCommands(CommandFailure failure) { failures_.push_back({std::move(failure)}); }

void EmulatedBridge::FlipOnRead(ByteFlip flip) { flips_.push_back(flip); }

void EmulatedBridge::SetStayBusy(bool stuck) { flash_.SetStuckBusy(stuck); }

void EmulatedBridge::SetRomStayBusy(bool stuck) {
  if (rom_) {
    rom_->SetStuckBusy(stuck);
  }
}

void EmulatedBridge::VanishAfter(int commands) {
  if (commands > 0) {
    commandsBeforeVanishing_ = commands;
    return;
  }
  commandsBeforeVanishing_.reset();
  if (!vanished_) {
    vanished_ = true;
    ++detachCount_;
  }
}

ScsiResult EmulatedBridge::Answer(std::span<std::uint8_t> dataIn, std::span<const std::uint8_t> bytes) {
  const std::size_t count = std::min(dataIn.size(), bytes.size());
  std::copy_n(bytes.begin(), count, dataIn.begin());
  return Completed(count);
}

ScsiResult EmulatedBridge::Completed(std::size_t transferred) {
  return ScsiResult{.opened = true, .completed = true, .transferred = static_cast<std::uint32_t>(transferred)};
}

ScsiResult EmulatedBridge::Malformed(std::string detail) {
  return ScsiResult{.opened = true, .error = TransportError::InvalidRequest, .detail = std::move(detail)};
}

}  // namespace qfw::emu
