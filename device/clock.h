#pragma once
// Time as the device code sees it: the programs use the real clock, tests a
// virtual one that advances only when something sleeps.

#include <chrono>

namespace qfw {

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic time since an arbitrary start.
  virtual std::chrono::milliseconds Now() const = 0;
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

}  // namespace qfw
