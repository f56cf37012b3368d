#pragma once
// The three system calls the SG_IO driver makes, behind an interface so the
// driver's handling of every errno outcome can be exercised without a device.

#include <scsi/sg.h>

#include <string>

namespace qfw {

struct OpenOutcome {
  int fd = -1;    // the descriptor, or -1 when the open failed
  int error = 0;  // errno of a failed open
};

class SgSystemCalls {
 public:
  virtual ~SgSystemCalls() = default;
  virtual OpenOutcome Open(const std::string& path, int flags) = 0;
  // Issues SG_IO on fd; returns 0 or the errno of a failed ioctl.
  virtual int SgIo(int fd, sg_io_hdr_t& header) = 0;
  virtual void Close(int fd) = 0;
};

}  // namespace qfw
