#pragma once
// Messages for programs without a window: "caption: text" on standard
// error. Nobody has to close it, so Show returns at once.

#include <iostream>
#include <ostream>
#include <string_view>

#include "device/message_box.h"

namespace qfw {

class ConsoleMessageBox final : public MessageBox {
 public:
  explicit ConsoleMessageBox(std::ostream& stream = std::cerr) : stream_(stream) {}

  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;

 private:
  std::ostream& stream_;
};

}  // namespace qfw
