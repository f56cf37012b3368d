#pragma once
// The two bulk endpoints of the mass-storage interface, as the serving loop
// uses them. The FunctionFS endpoint files implement it in the gadget, a
// scripted host in the tests.

#include <cstdint>
#include <optional>
#include <span>

namespace qfw::e2e {

class BulkPipe {
 public:
  virtual ~BulkPipe() = default;
  // One transfer from the host on bulk OUT into buffer: the bytes received
  // (fewer when the host ended it with a short packet), or nothing when the
  // endpoint failed (disabled, reset, unbound).
  virtual std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer) = 0;
  // One transfer to the host on bulk IN; empty data sends a zero-length
  // packet. False when the endpoint failed.
  virtual bool Send(std::span<const std::uint8_t> data) = 0;
  // The packet size of bulk IN at the speed the host runs the device at.
  virtual std::size_t InPacketSize() = 0;
};

}  // namespace qfw::e2e
