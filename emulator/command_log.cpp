#include "emulator/command_log.h"

#include "device/trace_pass_through.h"

namespace qfw::emu {

std::string TraceLine(const LogEntry& entry) {
  // The shared formatter reads the data length from the request's span, so
  // an input entry gets a scratch buffer of that length.
  std::vector<std::uint8_t> scratch(entry.direction == DataDirection::In ? entry.dataLength : 0);
  const ScsiRequest request{.direction = entry.direction,
                            .cdb = entry.cdb,
                            .dataIn = scratch,
                            .dataOut = entry.dataOut};
  const ScsiResult result{.opened = true, .completed = entry.completed, .transferred = entry.transferred};
  return qfw::TraceLine(request, result);
}

std::vector<std::string> TraceLines(const std::vector<LogEntry>& log) {
  std::vector<std::string> lines;
  lines.reserve(log.size());
  for (const LogEntry& entry : log) {
    lines.push_back(TraceLine(entry));
  }
  return lines;
}

}  // namespace qfw::emu
