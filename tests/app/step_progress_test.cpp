// The progress bar's step and the reporter that long operations write to.

#include <gtest/gtest.h>

#include "app/step_progress.h"
#include "tests/app/recording_window_view.h"

namespace qfw {
namespace {

TEST(StepProgress, CapsAtOneHundredAndMovesOnlyWhileShown) {
  test::RecordingWindowView view;
  view.SetVisible(Control::FwUpdatBar, true);
  view.SetProgressPosition(90);
  StepProgress(view, 20);
  EXPECT_EQ(view.ProgressPosition(), 100);
  StepProgress(view, 10);
  EXPECT_EQ(view.ProgressPosition(), 100);
  view.SetProgressPosition(30);
  view.SetVisible(Control::FwUpdatBar, false);
  StepProgress(view, 10);
  EXPECT_EQ(view.ProgressPosition(), 30);
}

TEST(ViewProgressReporter, StepsAndStatusGoToTheWindow) {
  test::RecordingWindowView view;
  ViewProgressReporter reporter(view);
  view.SetVisible(Control::FwUpdatBar, true);
  reporter.StepProgress(10);
  reporter.SetStatusText("ReadFlash...");
  reporter.AppendStatusText(".");
  reporter.AppendStatusText(".");
  EXPECT_EQ(view.ProgressPosition(), 10);
  EXPECT_EQ(view.Text(Control::StatusEdit), "ReadFlash.....");
}

}  // namespace
}  // namespace qfw
