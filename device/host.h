#pragma once
// The services of the program's host (window, terminal or test) that device
// and flash operations use. None of them knows about a toolkit.

#include "device/clock.h"
#include "device/debug_output.h"
#include "device/message_box.h"
#include "device/progress.h"
#include "device/pump.h"
#include "device/resource_store.h"

namespace qfw {

struct Host {
  Clock& clock;
  MessageBox& messages;
  DebugOutput& debug;
  Pump& pump;
  ProgressReporter& progress;
  const ResourceStore& resources;
};

}  // namespace qfw
