#pragma once
// The real monotonic clock for the gadget, so that the emulated bridge's
// busy times and its re-attach delay pass in real time.

#include <chrono>
#include <thread>

#include "device/clock.h"

namespace qfw::e2e {

class SteadyClock final : public Clock {
 public:
  std::chrono::milliseconds Now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
  }
  void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace qfw::e2e
