#include "resources/stand_in_image.h"

#include <algorithm>
#include <array>
#include <span>
#include <stdexcept>
#include <string_view>

#include "device/bytes.h"
#include "flash/image_checksum.h"
#include "flash/image_layout.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The code area opens with this text, so nobody mistakes a dump of the image
// for firmware.
constexpr std::string_view kBanner = "Quorell QRS642 stand-in image: not controller firmware";
// Filler runs from here to the correction word.
constexpr std::size_t kFillerOffset = 0x40;
constexpr std::uint32_t kFillerSeed = 0x51524642;  // "QRFB"
// The word just before the marker that forces the checksum.
constexpr std::size_t kCorrectionOffset = kMarkerOffset13 - 4;
constexpr std::array<std::uint8_t, 4> kMarker{0x55, 0xAA, 0xAA, 0x55};
constexpr std::string_view kTag = "6421";

// xorshift32: the same sequence on every host, unlike the library engines'
// distributions.
class Filler {
 public:
  explicit Filler(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  std::uint32_t state_;
};

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// One run of bytes in the configuration block (block offsets).
struct BlockField {
  std::size_t offset;
  Bytes bytes;
};

// The stand-in configuration block. Fields, by block offset (bytes not
// listed are 0x00; positions the update takes from the image are marked *):
//   0x00  USB vendor id 0x5152, little-endian
//   0x02  USB product id 0x0642, little-endian
//   0x04* block layout version 1.3
//   0x06  device release 1.00 (BCD, little-endian)
//   0x08  USB attributes: self-powered
//   0x09* maximum bus power, 2 mA units
//   0x0A  activity LED mode
//   0x0B* SATA link speed limit (3: 6 Gb/s)
//   0x0C  standby timer, minutes
//   0x10  vendor text "Quorell" (16 bytes, NUL-padded)
//   0x2F* feature flags
//   0x30  product text "QRS642 4-bay" (32 bytes, NUL-padded)
//   0x50  interface options
//   0x51* power-management timings (3 bytes)
//   0x55* write-cache policy
//   0x60  serial number text (20 bytes, NUL-padded)
//   0x75* link tuning table (11 bytes)
//   0x80  four bay records of 16 bytes: bay number, enabled, spin-down
//         minutes, reserved
//   0xC0  enclosure: fan mode, fan start and alarm temperatures (deg C)
//   0xCE  "QR": the block has been personalised; a rebuild of the code area
//         alone keeps such a block
//   0xFE  "QR": the block signature
std::vector<BlockField> ConfigFields() {
  std::vector<BlockField> fields = {
      {0x00, {0x52, 0x51}},
      {0x02, {0x42, 0x06}},
      {0x04, {0x01, 0x03}},
      {0x06, {0x00, 0x01}},
      {0x08, {0xC0}},
      {0x09, {0x01}},
      {0x0A, {0x01}},
      {0x0B, {0x03}},
      {0x0C, {0x0A}},
      {0x10, Text("Quorell")},
      {0x2F, {0x05}},
      {0x30, Text("QRS642 4-bay")},
      {0x50, {0x21}},
      {0x51, {0x08, 0x20, 0x40}},
      {0x55, {0x01}},
      {0x60, Text("QR6420000000")},
      {0x75, {0x1F, 0x1F, 0x0C, 0x0C, 0x04, 0x04, 0x22, 0x22, 0x00, 0x10, 0x01}},
      {0xC0, {0x02, 0x2D, 0x3C}},
      {0xCE, Text("QR")},
      {0xFE, Text("QR")},
  };
  constexpr std::size_t kBayRecords = 0x80;
  constexpr std::size_t kBayRecordSize = 16;
  for (std::uint8_t bay = 0; bay < 4; ++bay) {
    fields.push_back({kBayRecords + bay * kBayRecordSize, {bay, 0x01, 0x14}});
  }
  return fields;
}

void Put(std::span<std::uint8_t> area, std::size_t offset, std::span<const std::uint8_t> bytes) {
  if (offset + bytes.size() > area.size()) throw std::logic_error("stand-in field outside its area");
  std::ranges::copy(bytes, area.begin() + static_cast<std::ptrdiff_t>(offset));
}

void FillCodeArea(std::span<std::uint8_t> image) {
  Put(image, 0, Text(kBanner));
  Filler filler(kFillerSeed);
  for (std::size_t offset = kFillerOffset; offset < kCorrectionOffset; offset += 4) {
    PutLe32(image.subspan(offset).first<4>(), filler.Next());
  }
  Put(image, kMarkerOffset13, kMarker);
  Put(image, kTagOffset13, Text(kTag));
}

// Chooses the low half of the correction word so that the checksum over the
// covered bytes comes out as kStandInChecksum. The checksum is a CRC, so the
// last 16 bits fed before a fixed tail map one-to-one onto its value: exactly
// one choice fits.
void ForceChecksum(std::span<std::uint8_t> image) {
  const std::uint16_t prefix = ImageCrc16(image.first(kCorrectionOffset), 0);
  const auto tail = image.subspan(kCorrectionOffset, kChecksumCovered13 - kCorrectionOffset);
  const std::uint32_t high = 0x51520000;  // "RQ" in the upper half, little-endian
  for (std::uint32_t low = 0; low <= 0xFFFF; ++low) {
    PutLe32(tail.first<4>(), high | low);
    if (ImageCrc16(tail, prefix) == kStandInChecksum) {
      PutBe16(image.subspan(kChecksumOffset13).first<2>(), kStandInChecksum);
      return;
    }
  }
  throw std::runtime_error("no correction word gives the stand-in checksum");
}

}  // namespace

std::vector<std::uint8_t> BuildStandInImage13() {
  Bytes image(kImageSize13, 0x00);
  FillCodeArea(image);
  ForceChecksum(image);
  const auto block = std::span(image).subspan(kConfigOffset13, kConfigSize13);
  for (const BlockField& field : ConfigFields()) {
    Put(block, field.offset, field.bytes);
  }
  return image;
}

}  // namespace qfw
