#include "app/cli/mount_table.h"

#include <sstream>

namespace qfw::cli {
namespace {

constexpr std::size_t kEscapeLength = 4;  // \ and three octal digits

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

std::string Unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const bool escape = field[i] == '\\' && i + kEscapeLength <= field.size() && IsOctal(field[i + 1]) &&
                        IsOctal(field[i + 2]) && IsOctal(field[i + 3]);
    if (!escape) {
      text += field[i];
      continue;
    }
    const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
    text += static_cast<char>(value);
    i += kEscapeLength - 1;
  }
  return text;
}

}  // namespace

std::vector<MountEntry> ParseMountTable(std::string_view text) {
  std::vector<MountEntry> entries;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string source;
    std::string target;
    std::string type;
    if (!(fields >> source >> target >> type)) continue;
    entries.push_back({Unescaped(source), Unescaped(target), Unescaped(type)});
  }
  return entries;
}

}  // namespace qfw::cli
