#pragma once
// The two command entry points every bridge command goes through. They apply
// the data-phase rules (short phases through a 4-byte bounce area, a 1-byte
// phase asked as 2 bytes) and the time-out classes, then hand one request to
// the pass-through driver.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/pass_through.h"

namespace qfw {

inline constexpr std::chrono::seconds kDataInTimeout{20};
inline constexpr std::chrono::seconds kDataOutTimeout{10};
inline constexpr std::chrono::seconds kChipEraseTimeout{100};
// CDB byte 2 that selects the long time-out on data-out commands.
inline constexpr std::uint8_t kLongTimeoutSubCommand = 0x13;

struct TransferResult {
  bool ok = false;
  // Set whenever the device could be opened, also after a failed request.
  std::optional<std::uint32_t> transferred;
  explicit operator bool() const { return ok; }
};

class Transport {
 public:
  explicit Transport(PassThrough& driver) : driver_(driver) {}

  // Data flows from the device into data.
  [[nodiscard]] TransferResult SendCommandIn(const std::string& path, std::span<const std::uint8_t> cdb,
                                             std::span<std::uint8_t> data);
  // Data flows from data to the device; the device is opened exclusively.
  [[nodiscard]] TransferResult SendCommandOut(const std::string& path, std::span<const std::uint8_t> cdb,
                                              std::span<const std::uint8_t> data);

  // The driver's account of the most recent request, for diagnostics.
  const ScsiResult& LastResult() const { return last_; }

 private:
  TransferResult Finish(ScsiResult result);

  PassThrough& driver_;
  ScsiResult last_;
};

// The time-out a data-out command gets: long only for CDB byte 2 = 0x13.
std::chrono::seconds DataOutTimeout(std::span<const std::uint8_t> cdb);

// The length the device is asked for: a 1-byte phase is asked as 2 bytes.
std::size_t RequestedLength(std::size_t dataLength);

}  // namespace qfw
