#pragma once
// Watches the requests on their way to the devices, so the terminal can
// show how far a flash operation has come and notice when nothing moves.

#include <cstdint>
#include <optional>
#include <string>

#include "device/pass_through.h"

namespace qfw::cli {

enum class FlashActivity { Read, Write, Erase };

// A request that reads, writes or erases flash, and where.
struct FlashTransfer {
  FlashActivity activity;
  std::uint32_t address;
  std::uint32_t length;  // 0 for erases
};

// The block commands (DF ... FA/FB) and the older FF 04 flash commands;
// nothing for every other request.
std::optional<FlashTransfer> DecodeFlashTransfer(const ScsiRequest& request);

class RequestObserver {
 public:
  virtual ~RequestObserver() = default;
  virtual void OnRequest(const std::string& path, const ScsiRequest& request, const ScsiResult& result) = 0;
};

// Passes every request on and shows it and its result to the observer.
class ObservingPassThrough final : public PassThrough {
 public:
  ObservingPassThrough(PassThrough& inner, RequestObserver& observer) : inner_(inner), observer_(observer) {}
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

 private:
  PassThrough& inner_;
  RequestObserver& observer_;
};

}  // namespace qfw::cli
