#include "platform/console_message_box.h"

namespace qfw {

void ConsoleMessageBox::Show(std::string_view text, std::string_view caption, MessageIcon) {
  stream_ << caption << ": " << text << '\n';
  stream_.flush();
}

}  // namespace qfw
