#include "platform/stderr_debug_output.h"

namespace qfw {

void StderrDebugOutput::Write(std::string_view text) {
  if (text.ends_with('\n')) {
    text.remove_suffix(1);
  }
  while (true) {
    const std::size_t end = text.find('\n');
    stream_ << prefix_ << text.substr(0, end) << '\n';
    if (end == std::string_view::npos) {
      break;
    }
    text.remove_prefix(end + 1);
  }
  stream_.flush();
}

}  // namespace qfw
