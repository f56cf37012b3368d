#include "app/window/qt_timer_service.h"

namespace qfw {

void QtTimerService::StartTimer(int id, std::chrono::milliseconds delay) {
  auto& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, [this, id] { onExpiry_(id); });
  }
  timer->start(delay);
}

void QtTimerService::KillTimer(int id) {
  if (const auto it = timers_.find(id); it != timers_.end()) {
    it->second->stop();
  }
}

std::optional<std::chrono::milliseconds> QtTimerService::Remaining(int id) const {
  const auto it = timers_.find(id);
  if (it == timers_.end() || !it->second->isActive()) return std::nullopt;
  return it->second->remainingTimeAsDuration();
}

}  // namespace qfw
