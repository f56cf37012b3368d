#pragma once
// Host services of the window program: modal message boxes and letting
// pending window events run.

#include "device/message_box.h"
#include "device/pump.h"

namespace qfw {

// A modal message box with no owner window and one OK button.
class QtMessageBox final : public MessageBox {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

class QtPump final : public Pump {
 public:
  void ProcessPendingEvents() override;
};

}  // namespace qfw
