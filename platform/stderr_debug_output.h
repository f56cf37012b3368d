#pragma once
// Diagnostics to standard error, every line behind a prefix.

#include <iostream>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "device/debug_output.h"

namespace qfw {

class StderrDebugOutput final : public DebugOutput {
 public:
  explicit StderrDebugOutput(std::string prefix = "qfwupdate: ", std::ostream& stream = std::cerr)
      : prefix_(std::move(prefix)), stream_(stream) {}

  // Writes each line of text (a trailing newline adds no empty line).
  void Write(std::string_view text) override;

 private:
  std::string prefix_;
  std::ostream& stream_;
};

}  // namespace qfw
