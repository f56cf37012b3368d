#include "emulator/cdb_pattern.h"

#include <algorithm>
#include <stdexcept>

namespace qfw::emu {

CdbPattern::CdbPattern(std::initializer_list<int> leading) {
  if (leading.size() > kCdbLength) {
    throw std::invalid_argument("a CDB pattern has at most 12 bytes");
  }
  std::copy(leading.begin(), leading.end(), bytes_.begin());
}

bool CdbPattern::Matches(std::span<const std::uint8_t> cdb) const {
  if (cdb.size() != kCdbLength) {
    return false;
  }
  return std::equal(bytes_.begin(), bytes_.end(), cdb.begin(),
                    [](int expected, std::uint8_t actual) { return expected == kAnyByte || expected == actual; });
}

}  // namespace qfw::emu
