#pragma once
// One-shot timers identified by number, as the window's rescan uses them.
// The Qt window runs them on its event loop; tests fire them by hand.

#include <chrono>

namespace qfw {

class TimerService {
 public:
  virtual ~TimerService() = default;
  // Starts (or restarts) timer id to expire once after delay.
  virtual void StartTimer(int id, std::chrono::milliseconds delay) = 0;
  virtual void KillTimer(int id) = 0;
};

}  // namespace qfw
