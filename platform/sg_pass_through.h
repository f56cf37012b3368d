#pragma once
// The pass-through driver for Linux SCSI generic nodes (/dev/sgN): one
// open, one SG_IO ioctl and one close per request. Data-out requests open
// the node exclusively, so they are refused while any other handle is open.

#include <string>

#include "device/pass_through.h"
#include "platform/sg_system_calls.h"

namespace qfw {

class SgPassThrough final : public PassThrough {
 public:
  // Uses the running kernel.
  SgPassThrough();
  explicit SgPassThrough(SgSystemCalls& calls) : calls_(calls) {}

  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

 private:
  SgSystemCalls& calls_;
};

// The open flags for request: read-write and non-blocking, exclusive for
// data-out.
int SgOpenFlags(const ScsiRequest& request);

}  // namespace qfw
