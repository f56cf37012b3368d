#pragma once
// One-shot timers on virtual time: they expire only when the test lets the
// clock move and asks for the due ones.

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/timer_service.h"
#include "device/clock.h"

namespace qfw::test {

struct TimerStart {
  int id;
  std::chrono::milliseconds delay;
  std::chrono::milliseconds at;
};

class ManualTimerService final : public TimerService {
 public:
  explicit ManualTimerService(const Clock& clock) : clock_(clock) {}

  void StartTimer(int id, std::chrono::milliseconds delay) override {
    due_[id] = clock_.Now() + delay;
    starts.push_back({id, delay, clock_.Now()});
  }
  void KillTimer(int id) override {
    due_.erase(id);
    ++kills;
  }

  // When timer id expires; nothing while it is not running.
  std::optional<std::chrono::milliseconds> DueAt(int id) const {
    const auto it = due_.find(id);
    return it == due_.end() ? std::nullopt : std::optional(it->second);
  }

  bool IsRunning(int id) const { return due_.contains(id); }
  // The delay timer id was last started with.
  std::optional<std::chrono::milliseconds> LastDelay(int id) const {
    const auto last = std::ranges::find(starts.rbegin(), starts.rend(), id, &TimerStart::id);
    return last == starts.rend() ? std::nullopt : std::optional(last->delay);
  }

  // Expires every timer whose time has come, earliest first: it stops and
  // fire(id) runs, as the window's timer message would.
  void FireDue(const std::function<void(int)>& fire) {
    for (;;) {
      auto next = due_.end();
      for (auto it = due_.begin(); it != due_.end(); ++it) {
        if (it->second <= clock_.Now() && (next == due_.end() || it->second < next->second)) next = it;
      }
      if (next == due_.end()) return;
      const int id = next->first;
      due_.erase(next);
      fire(id);
    }
  }

  std::vector<TimerStart> starts;
  int kills = 0;

 private:
  const Clock& clock_;
  std::map<int, std::chrono::milliseconds> due_;
};

}  // namespace qfw::test
