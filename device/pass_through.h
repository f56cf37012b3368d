#pragma once
// The narrow pass-through interface: one SCSI request to one device path.
// Implementations: the Linux SG_IO driver (platform/), the emulated bridge
// (emulator/) and the tracing decorator (device/trace_pass_through.h).

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace qfw {

enum class DataDirection : std::uint8_t { In, Out };

// Why a request did not complete. Mapped from the operating system's error
// codes at the platform edge, so nothing above it sees errno.
enum class TransportError : std::uint8_t {
  None,
  NoDevice,       // the path does not exist or the device has gone
  AccessDenied,   // no permission to open the device node
  Busy,           // exclusive open refused: another handle is open
  Timeout,        // the device did not answer within the time-out
  HostError,      // the host adapter reported an error
  DriverError,    // the driver reported an error other than "sense present"
  InvalidRequest, // the request was refused as malformed (e.g. too large)
  Io,             // any other failure
};

const char* TransportErrorName(TransportError error);

struct ScsiRequest {
  DataDirection direction = DataDirection::In;
  std::span<const std::uint8_t> cdb;
  std::span<std::uint8_t> dataIn;        // the data phase when direction is In
  std::span<const std::uint8_t> dataOut; // the data phase when direction is Out
  std::chrono::seconds timeout{0};
  // Data-out requests ask for the device exclusively.
  bool Exclusive() const { return direction == DataDirection::Out; }
  std::size_t DataLength() const {
    return direction == DataDirection::In ? dataIn.size() : dataOut.size();
  }
};

struct ScsiResult {
  bool opened = false;      // the device path could be opened
  bool completed = false;   // the request went through without a transport error
  std::uint32_t transferred = 0;  // bytes moved (requested minus residue)
  TransportError error = TransportError::None;
  std::string detail;       // human-readable diagnostics for the debug output
};

class PassThrough {
 public:
  virtual ~PassThrough() = default;
  // Opens path (exclusively for data-out), issues the request, closes it.
  virtual ScsiResult Execute(const std::string& path, const ScsiRequest& request) = 0;
};

}  // namespace qfw
