#include "device/pass_through.h"

namespace qfw {

const char* TransportErrorName(TransportError error) {
  switch (error) {
    case TransportError::None: return "none";
    case TransportError::NoDevice: return "no such device";
    case TransportError::AccessDenied: return "permission denied";
    case TransportError::Busy: return "device busy (held open elsewhere)";
    case TransportError::Timeout: return "timed out";
    case TransportError::HostError: return "host adapter error";
    case TransportError::DriverError: return "driver error";
    case TransportError::InvalidRequest: return "invalid request";
    case TransportError::Io: return "I/O error";
  }
  return "unknown";
}

}  // namespace qfw
