#include "emulator/amic_flash.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace qfw::emu {
namespace {

constexpr int kAmicKind = 7;

struct AmicPart {
  int model;
  std::uint8_t deviceId;  // byte 3 of the 0x9F answer
  bool bottomBoot;
};

constexpr std::array<AmicPart, 4> kAmicParts{{
    {1, 0x12, true},
    {3, 0x11, true},
    {4, 0x20, false},
    {5, 0x10, true},
}};

const std::vector<std::uint32_t> kBottomBootUnits{4096, 4096, 8192, 16384, 32768};
const std::vector<std::uint32_t> kUniformUnits{32768};

}  // namespace

bool IsAmicModel(int model) { return std::find(kAmicModels.begin(), kAmicModels.end(), model) != kAmicModels.end(); }

void UseAmicFlash(FlashConfig& flash, int model) {
  const auto part = std::find_if(kAmicParts.begin(), kAmicParts.end(), [model](const AmicPart& p) {
    return p.model == model;
  });
  if (part == kAmicParts.end()) {
    throw std::invalid_argument("no AMIC flash of model " + std::to_string(model));
  }
  flash.answers = {{0x9F, {0x7F, 0x37, 0x20, part->deviceId}}};
  flash.id3Answers.clear();
  flash.geometryKind = kAmicKind;
  flash.sectorSize.reset();
  flash.blockSize.reset();
  flash.sectorEraseUnits = part->bottomBoot ? kBottomBootUnits : kUniformUnits;
}

}  // namespace qfw::emu
