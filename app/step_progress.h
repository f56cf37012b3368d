#pragma once
// The update progress bar, and the progress reporter that long operations
// write to while the main window shows them.

#include <string_view>

#include "app/window_view.h"
#include "device/progress.h"

namespace qfw {

inline constexpr int kProgressMaximum = 100;

// Advances FwUpdatBar by step, capped at 100, and repaints it at once. While
// the bar is hidden the position stays as it is.
void StepProgress(WindowView& view, int step);

// Progress steps go to StepProgress; status texts to StatusEdit.
class ViewProgressReporter final : public ProgressReporter {
 public:
  explicit ViewProgressReporter(WindowView& view) : view_(view) {}
  void StepProgress(int step) override;
  void SetStatusText(std::string_view text) override;
  void AppendStatusText(std::string_view text) override;

 private:
  WindowView& view_;
};

}  // namespace qfw
