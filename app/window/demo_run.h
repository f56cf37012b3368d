#pragma once
// qfwupdate --demo DIR: shows the window, answers YES, and for each state
// the user would see (the prompt, the re-attach request, the outcome of the
// rescan after the device came back) prints the visible texts and saves a
// screenshot in DIR. Message boxes are pictured and accepted at once.

#include <ostream>
#include <string>

#include "device/message_box.h"

namespace qfw {

class TQ61xFwTool;

class DemoMessageBox final : public MessageBox {
 public:
  DemoMessageBox(std::string dir, std::ostream& out) : dir_(std::move(dir)), out_(out) {}
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;

 private:
  std::string dir_;
  std::ostream& out_;
  int count_ = 0;
};

// Returns 0 when the window reached the already-updated state.
int RunDemo(TQ61xFwTool& window, const std::string& dir, std::ostream& out);

}  // namespace qfw
