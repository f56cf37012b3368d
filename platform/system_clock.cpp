#include "platform/system_clock.h"

#include <thread>

namespace qfw {

std::chrono::milliseconds SystemClock::Now() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::Sleep(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

}  // namespace qfw
