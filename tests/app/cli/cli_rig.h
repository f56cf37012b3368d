#pragma once
// The jobs of qfwupdate-cli on an emulated machine in the test's own
// process: virtual time, a terminal that is a pair of string streams, and
// the flash of every emulated device to look at afterwards.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_environment.h"
#include "app/cli/cli_stack.h"
#include "app/cli/jobs.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_discovery.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "tests/app/cli/cli_images.h"
#include "tests/support/fake_host.h"

namespace qfw::cli::test {

class CliRig : public testing::Test {
 protected:
  CliRig() { resources_.Add("QRS642", "FW6701", EmbeddedImage13()); }

  // A bridge of the preset at path holding contents (padded with 0xFF).
  emu::EmulatedBridge& AddBridge(const std::string& path, const std::string& preset, Bytes contents = {}) {
    emu::DeviceConfig config = emu::Preset(preset).value();
    config.path = path;
    config.flash.contents = std::move(contents);
    return bus_.Add(std::move(config));
  }
  emu::EmulatedBridge& Bridge(const std::string& path) { return *bus_.Find(path); }
  Bytes FlashOf(const std::string& path) {
    const auto flash = Bridge(path).Flash().Contents();
    return Bytes(flash.begin(), flash.end());
  }

  // Runs the command line's job; its output is in Out() and Err().
  JobReport Run(const std::vector<std::string>& args) {
    options_ = ParseCliOptions(args);
    out_.str("");
    err_.str("");
    CliStack stack(clock_, driver_, console_, debug_, resources_);
    CliEnvironment env{.options = options_,
                       .context = stack.GetContext(),
                       .discovery = discovery_,
                       .console = console_,
                       .stages = stack.Stages(),
                       .mountRoots = mountRoots_,
                       .checkMounts = checkMounts_,
                       .stateDirectory = stateDirectory_};
    return RunJob(env);
  }

  std::string Out() const { return out_.str(); }
  std::string Err() const { return err_.str(); }

  // The terminal: answers typed in, and whether a person sits there.
  void Type(const std::string& answers) {
    in_.str(answers);
    in_.clear();
    console_.inputIsTerminal = true;
  }

  qfw::test::ManualClock clock_;
  emu::EmulatedBus bus_{clock_};
  emu::EmulatedPassThrough driver_{bus_};
  emu::EmulatedDiscovery discovery_{bus_};
  qfw::test::MemoryResourceStore resources_;
  qfw::test::RecordingDebugOutput debug_;
  std::ostringstream out_;
  std::ostringstream err_;
  std::istringstream in_;
  Console console_{out_, err_, in_, false, false};
  CliOptions options_;
  TemporaryFolder folder_;
  MountRoots mountRoots_{folder_ / "sys", folder_ / "mounts"};
  bool checkMounts_ = false;
  std::optional<std::filesystem::path> stateDirectory_ = folder_ / "state";
};

}  // namespace qfw::cli::test
