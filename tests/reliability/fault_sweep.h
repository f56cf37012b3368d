#pragma once
// The fault sweep: a clean update counts its commands N; then the update
// runs again once per command k and fault kind, the fault striking at k.
// Every run is checked: the user hears of success only when the device's
// memory holds exactly the expected image; the run ends within the
// watchdog's limits; and after a reported failure, the healed device is
// found again and updated.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "tests/reliability/swept_path.h"

namespace qfw::test {

struct SweepFigures {
  std::string path;
  std::size_t commands = 0;  // N, the commands of the clean run
  std::size_t stride = 1;    // every stride-th command was swept
  std::size_t runs = 0;
  std::size_t faultsInjected = 0;
  std::size_t falseSuccesses = 0;
  std::size_t successes = 0;  // the update succeeded despite the fault
  std::size_t failuresReported = 0;
  std::size_t recovered = 0;
  std::size_t configurationLost = 0;  // recovered, but the failed run had wiped the device's own bytes
  std::size_t runaways = 0;           // stopped by the watchdog
  std::chrono::milliseconds longestRun{0};
  std::vector<std::string> problems;  // the first few, described
  std::size_t problemCount = 0;

  std::string SummaryLine() const;
};

// stride: sweep every stride-th command (1: all).
SweepFigures RunSweep(const SweptPath& path, std::size_t stride);

}  // namespace qfw::test
