#pragma once
// Owns one open sg descriptor and closes it exactly once.

#include "platform/sg_system_calls.h"

namespace qfw {

class SgDeviceHandle {
 public:
  SgDeviceHandle(SgSystemCalls& calls, int fd) : calls_(calls), fd_(fd) {}
  ~SgDeviceHandle() { calls_.Close(fd_); }
  SgDeviceHandle(const SgDeviceHandle&) = delete;
  SgDeviceHandle& operator=(const SgDeviceHandle&) = delete;

  int Fd() const { return fd_; }

 private:
  SgSystemCalls& calls_;
  const int fd_;
};

}  // namespace qfw
