#pragma once
// The kernel's table of mounted file systems (/proc/self/mounts).

#include <string>
#include <string_view>
#include <vector>

namespace qfw::cli {

struct MountEntry {
  std::string source;  // e.g. /dev/sdb1
  std::string target;  // e.g. /media/backup disk
  std::string type;    // e.g. ext4
};

// One entry per well-formed line ("source target type options freq pass");
// the kernel's octal escapes (\040 for a space) are decoded.
std::vector<MountEntry> ParseMountTable(std::string_view text);

}  // namespace qfw::cli
