#include "platform/sg_result.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "device/bytes.h"

namespace qfw {
namespace {

// The driver's "sense data present" flag: an answer, not an error.
constexpr unsigned kDriverSense = 0x08;
constexpr unsigned kDriverCodeMask = 0x07;
constexpr unsigned kDriverTimeout = 0x06;
constexpr unsigned kHostTimeout = 0x03;

// Host adapter status names (the kernel's DID_* codes), indexed by value.
constexpr std::array<std::string_view, 21> kHostStatusNames{
    "DID_OK",           "DID_NO_CONNECT",         "DID_BUS_BUSY",
    "DID_TIME_OUT",     "DID_BAD_TARGET",         "DID_ABORT",
    "DID_PARITY",       "DID_ERROR",              "DID_RESET",
    "DID_BAD_INTR",     "DID_PASSTHROUGH",        "DID_SOFT_ERROR",
    "DID_IMM_RETRY",    "DID_REQUEUE",            "DID_TRANSPORT_DISRUPTED",
    "DID_TRANSPORT_FAILFAST", "DID_TARGET_FAILURE", "DID_NEXUS_FAILURE",
    "DID_ALLOC_FAILURE", "DID_MEDIUM_ERROR",      "DID_TRANSPORT_MARGINAL",
};

std::string Hex2(unsigned value) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "0x%02x", value & 0xFFFFu);
  return text.data();
}

std::uint32_t Transferred(const sg_io_hdr_t& header) {
  if (header.resid <= 0) {
    return header.dxfer_len;
  }
  const auto resid = static_cast<unsigned int>(header.resid);
  return resid >= header.dxfer_len ? 0 : header.dxfer_len - resid;
}

TransportError ErrorOf(const sg_io_hdr_t& header) {
  if (header.host_status == kHostTimeout) {
    return TransportError::Timeout;
  }
  if (header.host_status != 0) {
    return TransportError::HostError;
  }
  if ((header.driver_status & kDriverCodeMask) == kDriverTimeout) {
    return TransportError::Timeout;
  }
  if ((header.driver_status & ~kDriverSense) != 0) {
    return TransportError::DriverError;
  }
  return TransportError::None;
}

std::string FailureDetail(const sg_io_hdr_t& header) {
  std::string detail = "SG_IO: host_status " + Hex2(header.host_status);
  if (header.host_status != 0 && header.host_status < kHostStatusNames.size()) {
    detail += " (" + std::string(kHostStatusNames[header.host_status]) + ")";
  }
  detail += " driver_status " + Hex2(header.driver_status);
  return detail;
}

// Empty for a plain GOOD answer; otherwise the SCSI status and any sense.
std::string AnswerDetail(const sg_io_hdr_t& header, std::span<const std::uint8_t> sense) {
  const std::size_t senseLength = std::min<std::size_t>(header.sb_len_wr, sense.size());
  if (header.status == 0 && senseLength == 0) {
    return {};
  }
  std::string detail = "SG_IO: SCSI status " + Hex2(header.status);
  if (senseLength > 0) {
    detail += " sense " + HexBytes(sense.first(senseLength));
  }
  return detail;
}

}  // namespace

ScsiResult InterpretSgIoHeader(const sg_io_hdr_t& header, std::span<const std::uint8_t> sense) {
  ScsiResult result{.opened = true, .transferred = Transferred(header), .error = ErrorOf(header)};
  result.completed = result.error == TransportError::None;
  result.detail = result.completed ? AnswerDetail(header, sense) : FailureDetail(header);
  return result;
}

}  // namespace qfw
