#pragma once
// The window's numbered one-shot timers on the Qt event loop: one QTimer
// per id; starting a running timer starts its delay afresh.

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/timer_service.h"

namespace qfw {

class QtTimerService final : public TimerService {
 public:
  using ExpiryHandler = std::function<void(int id)>;

  // onExpiry runs on the event loop when a timer expires.
  explicit QtTimerService(ExpiryHandler onExpiry) : onExpiry_(std::move(onExpiry)) {}

  void StartTimer(int id, std::chrono::milliseconds delay) override;
  void KillTimer(int id) override;

  // Time left until timer id expires; nothing when it is not running.
  std::optional<std::chrono::milliseconds> Remaining(int id) const;

 private:
  std::map<int, std::unique_ptr<QTimer>> timers_;
  ExpiryHandler onExpiry_;
};

}  // namespace qfw
