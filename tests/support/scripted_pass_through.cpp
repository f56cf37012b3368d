#include "tests/support/scripted_pass_through.h"

#include <sstream>

namespace qfw::test {

ScsiResult Completed(std::size_t length) {
  return ScsiResult{.opened = true, .completed = true, .transferred = static_cast<std::uint32_t>(length)};
}

ScsiResult Failed() {
  return ScsiResult{.opened = true, .completed = false, .error = TransportError::Io};
}

std::vector<std::uint8_t> Bytes(const std::string& hex) {
  std::istringstream in(hex);
  std::vector<std::uint8_t> out;
  unsigned value = 0;
  while (in >> std::hex >> value) {
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

ScsiResult ScriptedPassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  RecordedRequest record{path,
                         request.direction,
                         {request.cdb.begin(), request.cdb.end()},
                         request.DataLength(),
                         {request.dataOut.begin(), request.dataOut.end()},
                         request.timeout};
  requests_.push_back(record);
  if (failOpens_ > 0) {
    --failOpens_;
    return ScsiResult{.error = TransportError::NoDevice};
  }
  if (failRequests_ > 0) {
    --failRequests_;
    return Failed();
  }
  if (handler_) {
    return handler_(record, request.dataIn);
  }
  return Completed(request.DataLength());
}

}  // namespace qfw::test
