#include "device/transport.h"

#include <algorithm>
#include <array>

namespace qfw {
namespace {

// Data phases shorter than this go through the bounce area.
constexpr std::size_t kBounceSize = 4;

}  // namespace

std::chrono::seconds DataOutTimeout(std::span<const std::uint8_t> cdb) {
  return cdb.size() > 2 && cdb[2] == kLongTimeoutSubCommand ? kChipEraseTimeout : kDataOutTimeout;
}

std::size_t RequestedLength(std::size_t dataLength) { return dataLength == 1 ? 2 : dataLength; }

TransferResult Transport::Finish(ScsiResult result) {
  last_ = std::move(result);
  TransferResult outcome;
  if (!last_.opened) {
    return outcome;
  }
  outcome.ok = last_.completed;
  outcome.transferred = last_.transferred;
  return outcome;
}

TransferResult Transport::SendCommandIn(const std::string& path, std::span<const std::uint8_t> cdb,
                                        std::span<std::uint8_t> data) {
  ScsiRequest request{.direction = DataDirection::In, .cdb = cdb, .timeout = kDataInTimeout};
  if (data.size() >= kBounceSize) {
    request.dataIn = data;
    return Finish(driver_.Execute(path, request));
  }
  std::array<std::uint8_t, kBounceSize> bounce{};
  request.dataIn = std::span(bounce).first(RequestedLength(data.size()));
  ScsiResult result = driver_.Execute(path, request);
  if (result.opened) {
    std::copy_n(bounce.begin(), data.size(), data.begin());
  }
  return Finish(std::move(result));
}

TransferResult Transport::SendCommandOut(const std::string& path, std::span<const std::uint8_t> cdb,
                                         std::span<const std::uint8_t> data) {
  ScsiRequest request{.direction = DataDirection::Out, .cdb = cdb, .timeout = DataOutTimeout(cdb)};
  if (data.size() >= kBounceSize) {
    request.dataOut = data;
    return Finish(driver_.Execute(path, request));
  }
  std::array<std::uint8_t, kBounceSize> bounce{};
  std::copy(data.begin(), data.end(), bounce.begin());
  request.dataOut = std::span(bounce).first(RequestedLength(data.size()));
  return Finish(driver_.Execute(path, request));
}

}  // namespace qfw
