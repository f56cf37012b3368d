#pragma once
// Where long operations report how far they are and what they are doing.

#include <string_view>

namespace qfw {

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;
  // Advances the progress by step, capped at 100. A host that shows no
  // progress at the moment leaves the position unchanged.
  virtual void StepProgress(int step) = 0;
  // Replaces the status text.
  virtual void SetStatusText(std::string_view text) = 0;
  // Appends to the status text.
  virtual void AppendStatusText(std::string_view text) = 0;
};

// Discards progress and status.
class NullProgress final : public ProgressReporter {
 public:
  void StepProgress(int) override {}
  void SetStatusText(std::string_view) override {}
  void AppendStatusText(std::string_view) override {}
};

}  // namespace qfw
