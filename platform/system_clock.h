#pragma once
// The real monotonic clock: time goes on by itself and Sleep blocks.

#include "device/clock.h"

namespace qfw {

class SystemClock final : public Clock {
 public:
  std::chrono::milliseconds Now() const override;
  void Sleep(std::chrono::milliseconds duration) override;
};

}  // namespace qfw
