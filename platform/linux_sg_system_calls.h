#pragma once
// The real open/ioctl/close of the running kernel.

#include "platform/sg_system_calls.h"

namespace qfw {

class LinuxSgSystemCalls final : public SgSystemCalls {
 public:
  OpenOutcome Open(const std::string& path, int flags) override;
  int SgIo(int fd, sg_io_hdr_t& header) override;
  void Close(int fd) override;
};

}  // namespace qfw
