#include "e2e/gadget/expected_flash.h"

#include <algorithm>

#include "resources/family13_image.h"

namespace qfw::e2e {
namespace {

constexpr std::size_t kFlashSize = 0x10000;

}  // namespace

std::vector<std::uint8_t> ExpectedFamily13Flash() {
  std::vector<std::uint8_t> flash(kFlashSize, 0x00);
  const auto image = Family13ImageBytes();
  std::copy_n(image.begin(), std::min(image.size(), flash.size()), flash.begin());
  return flash;
}

}  // namespace qfw::e2e
