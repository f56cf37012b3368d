#pragma once
// Serves the Bulk-Only transport on a pipe, one command at a time: CBW,
// data phase, CSW.
//
// A data-in phase shorter than the host asked for ends with a short packet,
// or with a zero-length packet when it fills whole packets (nothing at all
// included), so the host's transfer ends there; the CSW reports the residue.
// A data-out phase is always taken in full, whatever the command uses; one
// that ends short of what the CBW announced runs nothing and is answered
// with a phase error.

#include <cstdint>
#include <ostream>
#include <vector>

#include "e2e/gadget/bulk_pipe.h"
#include "e2e/gadget/command_router.h"

namespace qfw::e2e {

enum class ServeStep {
  Served,      // status sent
  PipeFailed,  // an endpoint failed mid-command: the host is resetting or went away
  BadCbw,      // the host sent something that is no CBW; it was dropped
  DeviceGone,  // the bridge is not there: no status was sent
};

class MassStorageServer {
 public:
  // log, when set, gets one line per command.
  MassStorageServer(BulkPipe& pipe, CommandRouter& router, std::ostream* log = nullptr)
      : pipe_(pipe), router_(router), log_(log) {}

  ServeStep ServeOne();

 private:
  ServeStep RefuseShortDataOut(const Cbw& cbw, std::size_t received);
  bool SendDataIn(std::span<const std::uint8_t> data, std::uint32_t expected);
  void Log(const Cbw& cbw, const CommandOutcome& outcome) const;

  BulkPipe& pipe_;
  CommandRouter& router_;
  std::ostream* log_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace qfw::e2e
