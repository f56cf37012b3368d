#pragma once
// Diagnostics the user does not see unless asked for.

#include <string_view>

namespace qfw {

class DebugOutput {
 public:
  virtual ~DebugOutput() = default;
  virtual void Write(std::string_view text) = 0;
};

// Discards everything.
class NullDebugOutput final : public DebugOutput {
 public:
  void Write(std::string_view) override {}
};

}  // namespace qfw
