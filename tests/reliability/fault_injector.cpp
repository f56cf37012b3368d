#include "tests/reliability/fault_injector.h"

#include <algorithm>

namespace qfw::test {
namespace {

constexpr std::uint8_t kBlockFamily = 0xDF;
constexpr std::uint8_t kBlockRead = 0xFA;
constexpr std::uint8_t kVendor = 0xFF;
constexpr std::uint8_t kSerialFlash = 0x04;
constexpr std::uint8_t kFlashRead = 0x10;
constexpr std::uint8_t kRomRead = 0x03;
constexpr std::uint32_t kRomSize = 0x10000;

std::uint32_t Address24(const Cdb& cdb, std::size_t first) {
  return static_cast<std::uint32_t>(cdb[first] << 16 | cdb[first + 1] << 8 | cdb[first + 2]);
}

// ROM addresses come least significant byte first.
std::uint32_t RomAddress(const Cdb& cdb) {
  return std::uint32_t{cdb[3]} | std::uint32_t{cdb[4]} << 8 | std::uint32_t{cdb[5]} << 16 | std::uint32_t{cdb[6]} << 24;
}

// Spreads the flipped byte and bit over the read range as k moves on.
emu::ByteFlip FlipInside(const ReadRange& range, std::size_t k, std::uint32_t memorySize) {
  const std::uint32_t offset = static_cast<std::uint32_t>((k * 7919 + 13) % range.length);
  return {.address = (range.address + offset) % memorySize, .mask = static_cast<std::uint8_t>(1u << (k % 8))};
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
  switch (kind) {
    case FaultKind::CommandFails:
      return "command fails";
    case FaultKind::DeviceVanishes:
      return "device vanishes";
    case FaultKind::ReadBackFlipped:
      return "read-back byte flipped";
    case FaultKind::StaysBusy:
      return "flash stays busy";
  }
  return "?";
}

std::optional<ReadRange> ReadRangeOf(const Cdb& cdb, DataDirection direction, std::size_t dataLength) {
  if (direction != DataDirection::In || dataLength == 0) return std::nullopt;
  const auto length = static_cast<std::uint32_t>(dataLength);
  if (cdb[0] == kBlockFamily && cdb[11] == kBlockRead) return ReadRange{Memory::Flash, Address24(cdb, 8), length};
  if (cdb[0] != kVendor || cdb[1] != kSerialFlash) return std::nullopt;
  if (cdb[2] == kFlashRead) return ReadRange{Memory::Flash, Address24(cdb, 3), length};
  if (cdb[2] == kRomRead) return ReadRange{Memory::Rom, RomAddress(cdb) % kRomSize, length};
  return std::nullopt;
}

std::optional<Fault> PlanFault(FaultKind kind, std::size_t k, const std::vector<emu::LogEntry>& cleanLog,
                               std::uint32_t flashSize) {
  if (kind != FaultKind::ReadBackFlipped) return Fault{.kind = kind, .command = k};
  for (std::size_t j = k; j <= cleanLog.size(); ++j) {
    const emu::LogEntry& entry = cleanLog[j - 1];
    if (const auto range = ReadRangeOf(entry.cdb, entry.direction, entry.dataLength)) {
      const std::uint32_t size = range->memory == Memory::Rom ? kRomSize : flashSize;
      return Fault{.kind = kind, .command = j, .flip = FlipInside(*range, k, size), .flipped = range->memory};
    }
  }
  return std::nullopt;
}

void FaultInjector::Arm(emu::EmulatedBridge& target, const Fault& fault) {
  target_ = &target;
  armed_ = fault;
  struck_ = false;
  romFlip_.reset();
}

ScsiResult FaultInjector::Execute(const std::string& path, const ScsiRequest& request) {
  if (++requests_ > limits_.maxRequests) throw RunawayRun("more than " + std::to_string(limits_.maxRequests) + " requests");
  if (clock_.Now() - start_ > limits_.maxVirtualTime) throw RunawayRun("virtual time ran past the limit");
  if (armed_ && !struck_ && Reaches(path) && target_->Log().size() + 1 == armed_->command) Strike(request);
  const ScsiResult result = inner_.Execute(path, request);
  if (romFlip_ && armed_ && Reaches(path)) FlipRomRead(request, result);
  return result;
}

void FaultInjector::FlipRomRead(const ScsiRequest& request, const ScsiResult& result) const {
  if (request.cdb.size() != kCdbLength || !result.completed) return;
  Cdb cdb{};
  std::ranges::copy(request.cdb, cdb.begin());
  const auto range = ReadRangeOf(cdb, request.direction, request.dataIn.size());
  if (!range || range->memory != Memory::Rom) return;
  const std::size_t moved = std::min<std::size_t>(result.transferred, request.dataIn.size());
  for (std::size_t i = 0; i < moved; ++i) {
    if ((range->address + i) % kRomSize == romFlip_->address) request.dataIn[i] ^= romFlip_->mask;
  }
}

bool FaultInjector::Reaches(const std::string& path) const {
  const emu::DeviceConfig& config = target_->Config();
  return target_->Present() && (path == config.path || path == config.cdromPath);
}

// Sets the fault on the device just before the command it strikes. A
// command failure matches this command's whole CDB, once.
void FaultInjector::Strike(const ScsiRequest& request) {
  struck_ = true;
  switch (armed_->kind) {
    case FaultKind::CommandFails:
      target_->FailCommands({.prefix = std::vector<std::uint8_t>(request.cdb.begin(), request.cdb.end()), .nth = 1,
                             .count = 1});
      break;
    case FaultKind::DeviceVanishes:
      target_->VanishAfter(0);
      break;
    case FaultKind::ReadBackFlipped:
      if (armed_->flipped == Memory::Rom) {
        romFlip_ = armed_->flip;
      } else {
        target_->FlipOnRead(*armed_->flip);
      }
      break;
    case FaultKind::StaysBusy:
      target_->SetStayBusy(true);
      target_->SetRomStayBusy(true);
      break;
  }
}

}  // namespace qfw::test
