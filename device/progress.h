#pragma once
// Where long operations report how far they are and what they are doing.

#include <string_view>

namespace qfw {

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;
  // Position from 0 to 100.
  virtual void SetProgress(int position) = 0;
  // Replaces the status text.
  virtual void SetStatus(std::string_view text) = 0;
};

// Discards progress and status.
class NullProgress final : public ProgressReporter {
 public:
  void SetProgress(int) override {}
  void SetStatus(std::string_view) override {}
};

}  // namespace qfw
