#pragma once
// How far a long device operation has come. On a terminal one line is
// redrawn in place: "Updating: writing [#######-------------]  35%". Off a
// terminal (a log, a pipe) a plain line is written whenever the activity
// changes. Notices (the busy keep-alive) get a line of their own.

#include <ostream>
#include <string>
#include <string_view>

namespace qfw::cli {

class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  void BeginStage(std::string_view label);
  // What the device is doing ("reading", "writing", "verifying") and how far
  // through the flash it is, 0 to 100.
  void Show(std::string_view activity, int percent);
  void Notice(std::string_view text);
  // Ends the bar's line.
  void EndStage();

 private:
  void Draw();
  void ClearLine();

  std::ostream& out_;
  const bool terminal_;
  std::string label_;
  std::string activity_;
  int percent_ = 0;
  bool active_ = false;
  bool drawn_ = false;
};

}  // namespace qfw::cli
