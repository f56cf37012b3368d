// The window's numbered one-shot timers on QTimer.

#include "app/window/qt_timer_service.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

namespace qfw {
namespace {

using namespace std::chrono_literals;

class QtTimerServiceTest : public testing::Test {
 protected:
  // Spins the event loop until something expired, for 100 ms at most.
  void SpinUntilExpiry() {
    QElapsedTimer elapsed;
    elapsed.start();
    while (expired_.empty() && !elapsed.hasExpired(100)) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
  }

  std::vector<int> expired_;
  QtTimerService timers_{[this](int id) { expired_.push_back(id); }};
};

TEST_F(QtTimerServiceTest, StartingARunningTimerStartsItsDelayAfresh) {
  timers_.StartTimer(101, 1200ms);
  timers_.StartTimer(101, 200ms);
  ASSERT_TRUE(timers_.Remaining(101).has_value());
  EXPECT_LE(*timers_.Remaining(101), 200ms) << "a shorter delay replaces a longer one";
  timers_.StartTimer(101, 1200ms);
  EXPECT_GT(*timers_.Remaining(101), 200ms) << "a longer delay replaces a shorter one";
  timers_.KillTimer(101);
  EXPECT_FALSE(timers_.Remaining(101).has_value());
  EXPECT_TRUE(expired_.empty());
}

TEST_F(QtTimerServiceTest, ATimerExpiresOnceWithItsId) {
  timers_.StartTimer(7, 1ms);
  timers_.StartTimer(101, 10s);
  SpinUntilExpiry();
  ASSERT_EQ(expired_, std::vector<int>{7});
  EXPECT_FALSE(timers_.Remaining(7).has_value()) << "one shot";
  EXPECT_TRUE(timers_.Remaining(101).has_value());
  timers_.KillTimer(101);
}

TEST_F(QtTimerServiceTest, AKilledTimerDoesNotExpire) {
  timers_.StartTimer(101, 1ms);
  timers_.KillTimer(101);
  timers_.KillTimer(5);  // never started: nothing happens
  timers_.StartTimer(6, 3ms);
  SpinUntilExpiry();
  EXPECT_EQ(expired_, std::vector<int>{6});
}

}  // namespace
}  // namespace qfw
