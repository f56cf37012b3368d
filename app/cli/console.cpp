#include "app/cli/console.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>

namespace qfw::cli {

bool Confirm(Console& console, std::string_view question) {
  console.out << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(console.in, answer)) {
    console.out << '\n';
    return false;
  }
  std::ranges::transform(answer, answer.begin(), [](unsigned char c) { return std::tolower(c); });
  const auto first = answer.find_first_not_of(" \t");
  const auto last = answer.find_last_not_of(" \t\r");
  answer = first == std::string::npos ? std::string{} : answer.substr(first, last - first + 1);
  return answer == "y" || answer == "yes";
}

}  // namespace qfw::cli
