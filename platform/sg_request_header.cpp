#include "platform/sg_request_header.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace qfw {
namespace {

constexpr std::size_t kMaxCdbLength = 16;

int DxferDirection(const ScsiRequest& request) {
  if (request.DataLength() == 0) {
    return SG_DXFER_NONE;
  }
  return request.direction == DataDirection::In ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
}

// sg_io_hdr_t takes non-const pointers for both directions; the driver only
// reads from the CDB and from a data-out buffer.
void* DataPointer(const ScsiRequest& request) {
  if (request.DataLength() == 0) {
    return nullptr;
  }
  if (request.direction == DataDirection::In) {
    return request.dataIn.data();
  }
  return const_cast<std::uint8_t*>(request.dataOut.data());
}

unsigned int TimeoutMilliseconds(std::chrono::seconds timeout) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count();
  constexpr auto kMax = static_cast<long long>(std::numeric_limits<unsigned int>::max());
  return static_cast<unsigned int>(std::clamp<long long>(ms, 0, kMax));
}

}  // namespace

sg_io_hdr_t BuildSgIoHeader(const ScsiRequest& request, std::span<std::uint8_t> sense) {
  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.dxfer_direction = DxferDirection(request);
  header.cmd_len = static_cast<unsigned char>(request.cdb.size());
  header.cmdp = const_cast<unsigned char*>(request.cdb.data());
  header.dxfer_len = static_cast<unsigned int>(request.DataLength());
  header.dxferp = DataPointer(request);
  header.mx_sb_len = static_cast<unsigned char>(std::min<std::size_t>(sense.size(), 255));
  header.sbp = sense.data();
  header.timeout = TimeoutMilliseconds(request.timeout);
  return header;
}

std::optional<std::string> SgRequestProblem(const ScsiRequest& request) {
  if (request.cdb.empty() || request.cdb.size() > kMaxCdbLength) {
    return "CDB length " + std::to_string(request.cdb.size()) + " not supported";
  }
  if (request.DataLength() > std::numeric_limits<unsigned int>::max()) {
    return "data length " + std::to_string(request.DataLength()) + " too large";
  }
  return std::nullopt;
}

}  // namespace qfw
