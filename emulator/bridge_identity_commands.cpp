// Identification answers of the emulated bridge: INQUIRY, identify word,
// chip information, chip code, controller memory and the flash chip's ids.

#include <algorithm>
#include <array>

#include "device/bytes.h"
#include "emulator/emulated_bridge.h"

namespace qfw::emu {
namespace {

constexpr std::uint8_t kPeripheralDisk = 0x00;
constexpr std::uint8_t kPeripheralCdrom = 0x05;
constexpr std::uint8_t kRemovable = 0x80;
constexpr std::uint8_t kSpcVersion = 0x06;
constexpr std::uint8_t kResponseFormat = 0x02;
constexpr std::size_t kStandardInquiryLength = 36;
constexpr std::size_t kChipCodeInquiryLength = 40;

// Writes text into its field, padded with spaces and cut to the field.
void PutText(std::span<std::uint8_t> field, const std::string& text) {
  std::fill(field.begin(), field.end(), ' ');
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

std::uint32_t LengthField(const Cdb& cdb) { return GetBe16(std::span(cdb).subspan<3, 2>()); }

}  // namespace

ScsiResult EmulatedBridge::Inquiry(const Exchange& x) {
  const InquiryIdentity& id = config_.inquiry;
  std::vector<std::uint8_t> data(id.chipCode.empty() ? kStandardInquiryLength : kChipCodeInquiryLength, 0x00);
  const bool cdrom = x.via == InterfaceClass::Cdrom;
  data[0] = cdrom ? kPeripheralCdrom : kPeripheralDisk;
  data[1] = cdrom ? kRemovable : 0x00;
  data[2] = kSpcVersion;
  data[3] = kResponseFormat;
  data[4] = static_cast<std::uint8_t>(data.size() - 5);
  const std::span bytes(data);
  PutText(bytes.subspan(8, 8), id.vendor);
  PutText(bytes.subspan(16, 16), id.product);
  PutText(bytes.subspan(32, 4), id.revision);
  if (!id.chipCode.empty()) {
    PutText(bytes.subspan(36, 4), id.chipCode);
  }
  const std::size_t allocation = x.cdb[4];
  return Answer(x.dataIn.first(std::min(allocation, x.dataIn.size())), data);
}

ScsiResult EmulatedBridge::ReadIdentify(const Exchange& x) {
  if (LengthField(x.cdb) != x.dataIn.size()) {
    return Malformed("identify length differs from the data phase");
  }
  return Answer(x.dataIn, config_.identify);
}

ScsiResult EmulatedBridge::ReadChipInfo(const Exchange& x) {
  if (!config_.chipInfo) {
    return Completed(0);
  }
  const auto record = config_.chipInfo->Bytes();
  return Answer(x.dataIn, std::span(record).first(std::min(config_.chipInfo->transferred, record.size())));
}

ScsiResult EmulatedBridge::ReadChipCode(const Exchange& x) {
  if (!config_.chipCode) {
    return Completed(0);
  }
  std::array<std::uint8_t, kChipCodeSize> text{};
  std::copy_n(config_.chipCode->begin(), std::min(config_.chipCode->size(), text.size()), text.begin());
  return Answer(x.dataIn, text);
}

ScsiResult EmulatedBridge::ReadMemory(const Exchange& x) {
  if (LengthField(x.cdb) != x.dataIn.size()) {
    return Malformed("memory read length differs from the data phase");
  }
  const std::uint32_t address = GetBe16(std::span(x.cdb).subspan<6, 2>());
  for (std::size_t i = 0; i < x.dataIn.size(); ++i) {
    x.dataIn[i] = memory_[(address + i) % memory_.size()];
  }
  return Completed(x.dataIn.size());
}

ScsiResult EmulatedBridge::ReadFlashKind(const Exchange& x) {
  const std::array<std::uint8_t, 4> answer{config_.flash.reportedKind, 0x00, 0x00, 0x00};
  return Answer(x.dataIn, answer);
}

ScsiResult EmulatedBridge::SpiCommand(const Exchange& x) {
  // The chip answers nothing while it is busy: its output line stays high.
  const auto found = config_.flash.answers.find(x.cdb[5]);
  const bool answers = !flash_.Busy() && found != config_.flash.answers.end();
  spiAnswer_ = answers ? found->second : std::vector<std::uint8_t>{};
  return Completed(0);
}

ScsiResult EmulatedBridge::SpiResponse(const Exchange& x) {
  std::fill(x.dataIn.begin(), x.dataIn.end(), kErasedByte);
  if (spiAnswer_) {
    std::copy_n(spiAnswer_->begin(), std::min(spiAnswer_->size(), x.dataIn.size()), x.dataIn.begin());
  }
  return Completed(x.dataIn.size());
}

ScsiResult EmulatedBridge::SpiReadId3(const Exchange& x) {
  std::array<std::uint8_t, 3> answer{kErasedByte, kErasedByte, kErasedByte};
  const auto found = config_.flash.id3Answers.find(x.cdb[4]);
  if (!flash_.Busy() && found != config_.flash.id3Answers.end()) {
    answer = found->second;
  }
  return Answer(x.dataIn, answer);
}

}  // namespace qfw::emu
