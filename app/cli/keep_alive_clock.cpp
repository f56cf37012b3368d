#include "app/cli/keep_alive_clock.h"

namespace qfw::cli {

void KeepAliveClock::Sleep(std::chrono::milliseconds duration) {
  inner_.Sleep(duration);
  if (!armed_) return;
  const auto now = inner_.Now();
  const auto quiet = now - lastProgress_;
  if (quiet < after_) return;
  if (noticed_ && now - lastNotice_ < every_) return;
  noticed_ = true;
  lastNotice_ = now;
  notify_(quiet);
}

void KeepAliveClock::NoteProgress() {
  lastProgress_ = inner_.Now();
  noticed_ = false;
}

void KeepAliveClock::Arm() {
  armed_ = true;
  NoteProgress();
}

}  // namespace qfw::cli
