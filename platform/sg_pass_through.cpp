#include "platform/sg_pass_through.h"

#include <fcntl.h>

#include <array>
#include <cstdint>

#include "platform/errno_error.h"
#include "platform/linux_sg_system_calls.h"
#include "platform/sg_device_handle.h"
#include "platform/sg_request_header.h"
#include "platform/sg_result.h"

namespace qfw {
namespace {

// Fixed-format sense data is 18 bytes; descriptor format can be longer.
constexpr std::size_t kSenseBufferSize = 64;

SgSystemCalls& KernelCalls() {
  static LinuxSgSystemCalls calls;
  return calls;
}

ScsiResult Refused(std::string detail) {
  return ScsiResult{.error = TransportError::InvalidRequest, .detail = std::move(detail)};
}

ScsiResult OpenFailed(const std::string& path, int error) {
  return ScsiResult{.error = TransportErrorFromErrno(error), .detail = ErrnoDetail("open " + path, error)};
}

ScsiResult IoctlFailed(int error) {
  return ScsiResult{.opened = true, .error = TransportErrorFromErrno(error), .detail = ErrnoDetail("SG_IO", error)};
}

}  // namespace

SgPassThrough::SgPassThrough() : calls_(KernelCalls()) {}

int SgOpenFlags(const ScsiRequest& request) {
  const int shared = O_RDWR | O_NONBLOCK | O_CLOEXEC;
  return request.Exclusive() ? shared | O_EXCL : shared;
}

ScsiResult SgPassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  if (const auto problem = SgRequestProblem(request)) {
    return Refused(*problem);
  }
  const OpenOutcome open = calls_.Open(path, SgOpenFlags(request));
  if (open.fd < 0) {
    return OpenFailed(path, open.error);
  }
  const SgDeviceHandle handle(calls_, open.fd);
  std::array<std::uint8_t, kSenseBufferSize> sense{};
  sg_io_hdr_t header = BuildSgIoHeader(request, sense);
  if (const int error = calls_.SgIo(handle.Fd(), header); error != 0) {
    return IoctlFailed(error);
  }
  return InterpretSgIoHeader(header, sense);
}

}  // namespace qfw
