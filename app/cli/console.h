#pragma once
// The terminal the program talks to: where results, errors and questions
// go, where answers come from, and whether a person sits at either end.

#include <iosfwd>
#include <string_view>

namespace qfw::cli {

struct Console {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool inputIsTerminal = false;   // questions may be asked
  bool outputIsTerminal = false;  // a progress bar may be drawn on out
};

// Asks question on out and reads one line: true for "y" or "yes" in any
// case; false for anything else and at the end of input.
bool Confirm(Console& console, std::string_view question);

}  // namespace qfw::cli
