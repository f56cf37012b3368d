#pragma once
// Faults for the sweep: one fault of the emulator's kinds, armed so that it
// strikes at a chosen command of a run, and a watchdog that stops a run that
// does not end.

#include <chrono>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "device/clock.h"
#include "device/pass_through.h"
#include "emulator/command_log.h"
#include "emulator/emulated_bridge.h"

namespace qfw::test {

enum class FaultKind {
  CommandFails,     // the command fails (opens, does not complete)
  DeviceVanishes,   // the device is gone from this command on
  ReadBackFlipped,  // a read at or after the command hands back one byte wrong, and so does every later one
  StaysBusy,        // the flash (and the ROM) stays busy from this command on
};

inline constexpr FaultKind kFaultKinds[] = {FaultKind::CommandFails, FaultKind::DeviceVanishes,
                                            FaultKind::ReadBackFlipped, FaultKind::StaysBusy};

std::string_view FaultKindName(FaultKind kind);

enum class Memory { Flash, Rom };

struct Fault {
  FaultKind kind = FaultKind::CommandFails;
  std::size_t command = 1;  // 1-based number of the command the fault strikes
  std::optional<emu::ByteFlip> flip;  // ReadBackFlipped only
  Memory flipped = Memory::Flash;     // which memory's reads hand the flip back
};

// The fault of kind that strikes at command k of a run that sends the
// commands of cleanLog up to k: for a flip, the first flash or ROM read at
// or after k, one byte inside the range it reads. Nothing when no read
// follows k.
std::optional<Fault> PlanFault(FaultKind kind, std::size_t k, const std::vector<emu::LogEntry>& cleanLog,
                               std::uint32_t flashSize);

// The range a logged command reads, when it is a flash read (block read or
// the older flash read) or a ROM read.
struct ReadRange {
  Memory memory = Memory::Flash;
  std::uint32_t address = 0;
  std::uint32_t length = 0;
};
std::optional<ReadRange> ReadRangeOf(const Cdb& cdb, DataDirection direction, std::size_t dataLength);

// A run that went on past the watchdog's limits: a hang in the real world.
class RunawayRun : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Far beyond the longest run that ends (a ROM that stays busy: three waits
// of 50,000 polls, about 150 s).
struct RunLimits {
  std::size_t maxRequests = 1'000'000;
  std::chrono::milliseconds maxVirtualTime{std::chrono::minutes(20)};
};

// Passes requests on to the emulated machine. When the target device has
// handled command - 1 commands, the armed fault is set on it, so it strikes
// the next command that reaches the device. The emulator flips serial-flash
// reads itself; ROM reads are flipped here, on their way back. Every
// request counts towards the watchdog.
class FaultInjector final : public PassThrough {
 public:
  FaultInjector(PassThrough& inner, const Clock& clock, RunLimits limits = {})
      : inner_(inner), clock_(clock), limits_(limits), start_(clock.Now()) {}

  void Arm(emu::EmulatedBridge& target, const Fault& fault);
  // Forgets the fault (it stays set on the device it was set on).
  void Disarm() { armed_.reset(); }
  bool Struck() const { return struck_; }

  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

 private:
  // True when a request to path reaches the target device.
  bool Reaches(const std::string& path) const;
  void Strike(const ScsiRequest& request);
  void FlipRomRead(const ScsiRequest& request, const ScsiResult& result) const;

  PassThrough& inner_;
  const Clock& clock_;
  RunLimits limits_;
  std::chrono::milliseconds start_;
  std::size_t requests_ = 0;
  emu::EmulatedBridge* target_ = nullptr;
  std::optional<Fault> armed_;
  bool struck_ = false;
  std::optional<emu::ByteFlip> romFlip_;
};

}  // namespace qfw::test
