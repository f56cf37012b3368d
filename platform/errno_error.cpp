#include "platform/errno_error.h"

#include <cerrno>
#include <system_error>

namespace qfw {

TransportError TransportErrorFromErrno(int error) {
  switch (error) {
    case 0: return TransportError::None;
    case EACCES:
    case EPERM: return TransportError::AccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO: return TransportError::NoDevice;
    case EBUSY: return TransportError::Busy;
    case EINVAL: return TransportError::InvalidRequest;
    case ETIMEDOUT: return TransportError::Timeout;
    default: return TransportError::Io;
  }
}

std::string ErrnoDetail(std::string_view what, int error) {
  std::string detail(what);
  detail += ": ";
  detail += std::generic_category().message(error);
  detail += " (errno " + std::to_string(error) + ")";
  return detail;
}

}  // namespace qfw
