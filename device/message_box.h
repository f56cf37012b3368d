#pragma once
// A modal message to the user with one OK button.

#include <string_view>

namespace qfw {

enum class MessageIcon { None, Information, Warning, Error };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Returns when the user has closed the message.
  virtual void Show(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

}  // namespace qfw
