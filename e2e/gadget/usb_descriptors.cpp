#include "e2e/gadget/usb_descriptors.h"

#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <array>

namespace qfw::e2e {
namespace {

constexpr std::uint8_t kClassMassStorage = 0x08;
constexpr std::uint8_t kSubclassScsi = 0x06;
constexpr std::uint8_t kProtocolBulkOnly = 0x50;
constexpr std::uint8_t kInterfaceStringIndex = 1;
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;
constexpr std::uint32_t kDescriptorsPerSpeed = 3;  // interface, bulk IN, bulk OUT

void AppendLe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void PatchLength(std::vector<std::uint8_t>& blob) {
  const auto length = static_cast<std::uint32_t>(blob.size());
  for (std::size_t i = 0; i < 4; ++i) {
    blob[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
}

void AppendInterface(std::vector<std::uint8_t>& out) {
  const std::array<std::uint8_t, USB_DT_INTERFACE_SIZE> interface{
      USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, 0, 0, 2, kClassMassStorage, kSubclassScsi, kProtocolBulkOnly,
      kInterfaceStringIndex};
  out.insert(out.end(), interface.begin(), interface.end());
}

void AppendBulkEndpoint(std::vector<std::uint8_t>& out, std::uint8_t address, std::uint16_t packet) {
  out.insert(out.end(), {USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, address, USB_ENDPOINT_XFER_BULK});
  AppendLe16(out, packet);
  out.push_back(0);  // bInterval
}

void AppendSpeed(std::vector<std::uint8_t>& out, std::uint16_t packet) {
  AppendInterface(out);
  AppendBulkEndpoint(out, kBulkInAddress, packet);
  AppendBulkEndpoint(out, kBulkOutAddress, packet);
}

}  // namespace

std::vector<std::uint8_t> MassStorageDescriptors() {
  std::vector<std::uint8_t> blob;
  AppendLe32(blob, FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
  AppendLe32(blob, 0);  // length, patched below
  AppendLe32(blob, FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
  AppendLe32(blob, kDescriptorsPerSpeed);
  AppendLe32(blob, kDescriptorsPerSpeed);
  AppendSpeed(blob, kFullSpeedBulkPacket);
  AppendSpeed(blob, kHighSpeedBulkPacket);
  PatchLength(blob);
  return blob;
}

std::vector<std::uint8_t> InterfaceStrings(std::string_view interfaceName) {
  std::vector<std::uint8_t> blob;
  AppendLe32(blob, FUNCTIONFS_STRINGS_MAGIC);
  AppendLe32(blob, 0);  // length, patched below
  AppendLe32(blob, 1);  // strings per language
  AppendLe32(blob, 1);  // languages
  AppendLe16(blob, kLanguageEnglishUs);
  blob.insert(blob.end(), interfaceName.begin(), interfaceName.end());
  blob.push_back(0);
  PatchLength(blob);
  return blob;
}

}  // namespace qfw::e2e
