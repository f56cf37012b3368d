#include "app/step_progress.h"

#include <algorithm>
#include <string>

namespace qfw {

void StepProgress(WindowView& view, int step) {
  if (!view.IsVisible(Control::FwUpdatBar)) return;
  view.SetProgressPosition(std::min(kProgressMaximum, view.ProgressPosition() + step));
}

void ViewProgressReporter::StepProgress(int step) { qfw::StepProgress(view_, step); }

void ViewProgressReporter::SetStatusText(std::string_view text) { view_.SetText(Control::StatusEdit, text); }

void ViewProgressReporter::AppendStatusText(std::string_view text) {
  view_.SetText(Control::StatusEdit, view_.Text(Control::StatusEdit) + std::string(text));
}

}  // namespace qfw
