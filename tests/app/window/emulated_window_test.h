#pragma once
// A fixture for tests of the window on an emulated machine in virtual time:
// the host (manual clock, recording debug output, counting pump, the
// embedded resources), the window's timers on that clock, and the device
// side of one of the emulator's example scenarios. MessageBoxType is the
// message box the test wants to look at.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/device_stack.h"
#include "app/window/fw_tool_window.h"
#include "device/context.h"
#include "device/progress.h"
#include "device/transport.h"
#include "resources/embedded_resources.h"
#include "tests/app/manual_timer_service.h"
#include "tests/support/fake_host.h"

namespace qfw::test {

template <typename MessageBoxType>
class EmulatedWindowTest : public testing::Test {
 protected:
  // Replaces the machine by the example scenario of that file name; the
  // test then opens its window on Ctx() and stack_->Discovery().
  void LoadScenario(const std::string& name) {
    window_.reset();
    stack_ = std::make_unique<DeviceStack>(DeviceStackOptions{.scenario = std::string(QFW_SCENARIO_DIR) + "/" + name},
                                           clock_, debug_);
    transport_ = std::make_unique<Transport>(stack_->Driver());
    context_ = std::make_unique<Context>(Context{*transport_, host_});
  }
  Context& Ctx() { return *context_; }

  ManualClock clock_;
  MessageBoxType messages_;
  RecordingDebugOutput debug_;
  CountingPump pump_;
  NullProgress progress_;
  EmbeddedResources resources_;
  Host host_{clock_, messages_, debug_, pump_, progress_, resources_};
  ManualTimerService timers_{clock_};
  std::unique_ptr<DeviceStack> stack_;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<Context> context_;
  std::unique_ptr<TQ61xFwTool> window_;
};

}  // namespace qfw::test
