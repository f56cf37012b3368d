#pragma once
// What an emulated device received: one entry per command that reached it
// (requests refused at open time never do).

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "device/cdb.h"
#include "device/pass_through.h"

namespace qfw::emu {

struct LogEntry {
  std::chrono::milliseconds time{0};  // virtual time of arrival
  DataDirection direction = DataDirection::In;
  Cdb cdb{};
  std::size_t dataLength = 0;  // data phase handed to the request
  bool completed = false;
  std::uint32_t transferred = 0;
  std::vector<std::uint8_t> dataOut;  // the bytes of a data-out phase
};

// The entry in the trace form of the tracing decorator:
//   out df 02 00 10 00 00 00 00 00 00 00 fb 4096 1 4096
std::string TraceLine(const LogEntry& entry);
// One trace line per entry.
std::vector<std::string> TraceLines(const std::vector<LogEntry>& log);

}  // namespace qfw::emu
