#pragma once
// A pass-through decorator that writes every request that did not complete,
// or that came back with something to say (sense data, a short answer), to
// the debug output: the request in trace form, the error and its detail.

#include <string>

#include "device/debug_output.h"
#include "device/pass_through.h"

namespace qfw {

class DiagnosticPassThrough final : public PassThrough {
 public:
  DiagnosticPassThrough(PassThrough& inner, DebugOutput& debug) : inner_(inner), debug_(debug) {}
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

 private:
  PassThrough& inner_;
  DebugOutput& debug_;
};

}  // namespace qfw
