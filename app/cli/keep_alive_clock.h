#pragma once
// A clock that notices when the device work shows no progress for a while.
// Erases, the fixed pauses and the flash-ready polls all wait through the
// host's clock, so every Sleep looks at how long it has been since the last
// progress and, while armed, calls the notify function after `after` of
// quiet and then every `every`, so the user keeps hearing that the bridge is
// busy and must stay plugged in. (A single request that blocks in the
// driver is not seen until it returns.)

#include <chrono>
#include <functional>

#include "device/clock.h"

namespace qfw::cli {

inline constexpr std::chrono::milliseconds kBusyNoticeAfter{2000};
inline constexpr std::chrono::milliseconds kBusyNoticeEvery{5000};

class KeepAliveClock final : public Clock {
 public:
  using Notify = std::function<void(std::chrono::milliseconds quiet)>;

  KeepAliveClock(Clock& inner, Notify notify, std::chrono::milliseconds after = kBusyNoticeAfter,
                 std::chrono::milliseconds every = kBusyNoticeEvery)
      : inner_(inner), notify_(std::move(notify)), after_(after), every_(every) {}

  std::chrono::milliseconds Now() const override { return inner_.Now(); }
  void Sleep(std::chrono::milliseconds duration) override;

  // The work moved on: the quiet time starts again.
  void NoteProgress();
  // Notices come only while armed; arming starts the quiet time.
  void Arm();
  void Disarm() { armed_ = false; }

 private:
  Clock& inner_;
  Notify notify_;
  const std::chrono::milliseconds after_;
  const std::chrono::milliseconds every_;
  bool armed_ = false;
  bool noticed_ = false;
  std::chrono::milliseconds lastProgress_{0};
  std::chrono::milliseconds lastNotice_{0};
};

}  // namespace qfw::cli
