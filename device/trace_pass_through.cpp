#include "device/trace_pass_through.h"

#include "device/bytes.h"

namespace qfw {

std::string TraceLine(const ScsiRequest& request, const ScsiResult& result) {
  std::string line = request.direction == DataDirection::In ? "in " : "out ";
  line += HexBytes(request.cdb);
  line += ' ' + std::to_string(request.DataLength());
  line += result.completed ? " 1 " : " 0 ";
  line += std::to_string(result.transferred);
  return line;
}

ScsiResult TracePassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  ScsiResult result = inner_.Execute(path, request);
  trace_ << TraceLine(request, result) << '\n';
  trace_.flush();
  return result;
}

}  // namespace qfw
