#include "platform/linux_sg_system_calls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace qfw {

OpenOutcome LinuxSgSystemCalls::Open(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags);
  return fd < 0 ? OpenOutcome{.fd = -1, .error = errno} : OpenOutcome{.fd = fd};
}

int LinuxSgSystemCalls::SgIo(int fd, sg_io_hdr_t& header) {
  // Not retried on EINTR: the command may already have reached the device.
  return ::ioctl(fd, SG_IO, &header) < 0 ? errno : 0;
}

void LinuxSgSystemCalls::Close(int fd) {
  // Closing an sg node has nothing to report that the request did not.
  ::close(fd);
}

}  // namespace qfw
