#include "device/diagnostic_pass_through.h"

#include "device/trace_pass_through.h"

namespace qfw {

ScsiResult DiagnosticPassThrough::Execute(const std::string& path, const ScsiRequest& request) {
  ScsiResult result = inner_.Execute(path, request);
  if (!result.completed || !result.detail.empty()) {
    std::string line = path + ": " + TraceLine(request, result);
    if (result.error != TransportError::None) {
      line += ": ";
      line += TransportErrorName(result.error);
    }
    if (!result.detail.empty()) {
      line += " (" + result.detail + ")";
    }
    debug_.Write(line);
  }
  return result;
}

}  // namespace qfw
