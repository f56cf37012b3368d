#pragma once
// A pass-through decorator that writes one line per request to a trace:
//   out df 02 00 10 00 00 00 00 00 00 00 fb 4096 1 4096
// direction, the 12 CDB bytes in lower-case hex, the data length handed to
// the request, the result (1/0) and the transferred length.

#include <ostream>
#include <string>

#include "device/pass_through.h"

namespace qfw {

class TracePassThrough final : public PassThrough {
 public:
  TracePassThrough(PassThrough& inner, std::ostream& trace) : inner_(inner), trace_(trace) {}
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

 private:
  PassThrough& inner_;
  std::ostream& trace_;
};

// The trace line of one request and its result, without the newline.
std::string TraceLine(const ScsiRequest& request, const ScsiResult& result);

}  // namespace qfw
