#pragma once
// The window's timers in virtual time: a started timer falls due on the
// manual clock, and the test fires what is due as it advances the clock.

#include <chrono>
#include <functional>
#include <map>
#include <optional>

#include "app/timer_service.h"
#include "tests/support/fake_host.h"

namespace qfw::test {

class ManualTimerService final : public TimerService {
 public:
  explicit ManualTimerService(ManualClock& clock) : clock_(clock) {}

  void StartTimer(int id, std::chrono::milliseconds delay) override {
    due_[id] = clock_.Now() + delay;
    lastDelay_[id] = delay;
  }
  void KillTimer(int id) override { due_.erase(id); }

  bool IsRunning(int id) const { return due_.contains(id); }
  std::optional<std::chrono::milliseconds> LastDelay(int id) const {
    const auto it = lastDelay_.find(id);
    return it == lastDelay_.end() ? std::nullopt : std::optional(it->second);
  }

  // Fires, earliest first, every timer that is due by now; a fired timer
  // is stopped before fire runs, as a one-shot timer is.
  void FireDue(const std::function<void(int id)>& fire) {
    while (true) {
      const auto next = std::ranges::min_element(due_, {}, [](const auto& entry) { return entry.second; });
      if (next == due_.end() || next->second > clock_.Now()) return;
      const int id = next->first;
      due_.erase(next);
      fire(id);
    }
  }

 private:
  ManualClock& clock_;
  std::map<int, std::chrono::milliseconds> due_;
  std::map<int, std::chrono::milliseconds> lastDelay_;
};

}  // namespace qfw::test
