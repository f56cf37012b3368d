#pragma once
// One FunctionFS function mounted at a folder: ep0 takes the descriptors and
// strings and then carries the function's events and control requests; ep1
// and ep2 are the bulk endpoints, open for the life of the object (they
// survive unbinding and binding the gadget again).

#include <filesystem>
#include <ostream>
#include <string_view>

#include "e2e/gadget/bulk_pipe.h"
#include "e2e/gadget/control_requests.h"
#include "e2e/gadget/unique_fd.h"

namespace qfw::e2e {

class FunctionFs final : public BulkPipe {
 public:
  // Writes the mass-storage descriptors and strings and opens the bulk
  // endpoints. Throws std::runtime_error with the errno text on failure.
  FunctionFs(const std::filesystem::path& mountPoint, std::string_view interfaceName);

  // Reads ep0 events and answers the class requests for the life of the
  // program; logs the function's state changes.
  void ServeControl(std::ostream& log);

  std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer) override;
  bool Send(std::span<const std::uint8_t> data) override;
  std::size_t InPacketSize() override;

 private:
  void AnswerSetup(const SetupPacket& setup, std::ostream& log);

  UniqueFd ep0_;
  UniqueFd bulkIn_;
  UniqueFd bulkOut_;
};

}  // namespace qfw::e2e
