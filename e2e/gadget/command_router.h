#pragma once
// One SCSI command arriving through the USB front door: the kernel's own
// disk commands go to the disk model, REQUEST SENSE hands out the sense of
// the last failed command, and everything else — INQUIRY and the bridge's
// vendor commands — goes to the emulated bridge, the same one the unit tests
// drive through the emulated pass-through.
//
// How the bridge's answers look on the wire:
// - completed: GOOD, with the bytes it moved;
// - completed without the data the host asked for, or completed without
//   moving anything when it is no bridge command at all (neither INQUIRY nor
//   of the vendor families FF, DF, E0): the bridge does not know it, CHECK
//   CONDITION with ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE. So is a
//   CDB longer than the bridge's 12 bytes with anything past them; it never
//   reaches the bridge;
// - not completed: a phase error. The kernel's mass-storage driver resets
//   the port and fails the request with DID_ERROR, which is how a request
//   that does not complete looks through SG_IO;
// - no device (reset, vanished): no status at all, the device leaves the bus.

#include <cstdint>
#include <functional>
#include <span>

#include "device/pass_through.h"
#include "e2e/gadget/bulk_only.h"
#include "e2e/gadget/disk_model.h"
#include "e2e/gadget/sense.h"

namespace qfw::e2e {

struct CommandOutcome {
  CswStatus status = CswStatus::Passed;
  // Bytes the data phase moves; for data in, the leading bytes of the buffer.
  std::size_t transferred = 0;
  // The bridge is not there: the device sends no status and leaves the bus.
  bool deviceGone = false;
};

class CommandRouter {
 public:
  using BridgeDoor = std::function<ScsiResult(const ScsiRequest&)>;

  CommandRouter(DiskModel disk, BridgeDoor bridge) : disk_(disk), bridge_(std::move(bridge)) {}

  // dataIn is the buffer for a data-in phase of cbw.dataLength bytes,
  // dataOut the bytes the host sent; the other one is empty.
  CommandOutcome Handle(const Cbw& cbw, std::span<std::uint8_t> dataIn, std::span<const std::uint8_t> dataOut);

  const Sense& PendingSense() const { return pending_; }

 private:
  CommandOutcome RequestSense(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> dataIn);
  CommandOutcome ToBridge(const Cbw& cbw, std::span<std::uint8_t> dataIn, std::span<const std::uint8_t> dataOut);
  CommandOutcome Finish(const CommandAnswer& answer);

  DiskModel disk_;
  BridgeDoor bridge_;
  Sense pending_ = kNoSense;
};

}  // namespace qfw::e2e
