// qfw-e2e-gadget: presents an emulated bridge to the machine's own kernel as
// a USB mass-storage device, through a configfs gadget with one FunctionFS
// function. Every SCSI command the kernel sends reaches the same emulated
// bridge the unit tests use; a controller reset or a vanishing bridge
// unbinds the gadget, and the end of the reset delay binds it again.
//
// SIGUSR1 writes the emulated flash to --flash-out; SIGTERM and SIGINT write
// it, unbind the gadget and end the program.

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <thread>

#include "e2e/gadget/bridge_backend.h"
#include "e2e/gadget/command_router.h"
#include "e2e/gadget/expected_flash.h"
#include "e2e/gadget/function_fs.h"
#include "e2e/gadget/gadget_options.h"
#include "e2e/gadget/mass_storage_server.h"
#include "e2e/gadget/udc_binding.h"

namespace qfw::e2e {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kDiskBlocks = 2048;  // 1 MiB
constexpr auto kPresencePoll = 20ms;
constexpr auto kAfterPipeFailure = 10ms;
constexpr const char* kInterfaceName = "Quorell bridge (emulated)";

bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

void DumpFlash(BridgeBackend& bridge, const GadgetOptions& options) {
  if (!options.flashOut) return;
  const auto flash = bridge.FlashContents();
  if (WriteFile(*options.flashOut, flash)) {
    std::cerr << "gadget: wrote " << flash.size() << " flash bytes to " << *options.flashOut << std::endl;
  } else {
    std::cerr << "gadget: cannot write " << *options.flashOut << std::endl;
  }
}

// A gadget that cannot leave the bus or come back would leave the host
// waiting for nothing: it ends, saying why, with a failure.
[[noreturn]] void GiveUp(const char* what) {
  std::cerr << "gadget: cannot " << what << "; giving up" << std::endl;
  std::_Exit(EXIT_FAILURE);
}

// Serves commands for the life of the program. When the bridge is gone
// after a command (its reset, or a vanishing fault) the gadget leaves the
// bus, and comes back once the bridge is present again.
[[noreturn]] void Serve(MassStorageServer& server, BridgeBackend& bridge, UdcBinding& udc) {
  while (true) {
    if (server.ServeOne() == ServeStep::PipeFailed) {
      std::this_thread::sleep_for(kAfterPipeFailure);
    }
    if (bridge.Present()) continue;
    if (!udc.Unbind()) GiveUp("leave the bus");
    while (!bridge.Present()) std::this_thread::sleep_for(kPresencePoll);
    if (!udc.Bind()) GiveUp("come back on the bus");
  }
}

// Waits for the signals, which every thread blocks, and acts on them.
[[noreturn]] void HandleSignals(const sigset_t& signals, BridgeBackend& bridge, UdcBinding& udc,
                                const GadgetOptions& options) {
  while (true) {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) continue;
    DumpFlash(bridge, options);
    if (signal == SIGUSR1) continue;
    udc.Unbind();
    // The endpoint threads sit in blocking reads that nothing wakes; the
    // kernel closes their files.
    std::_Exit(EXIT_SUCCESS);
  }
}

int Run(const GadgetOptions& options) {
  if (options.expectedFamily13) {
    return WriteFile(*options.expectedFamily13, ExpectedFamily13Flash()) ? EXIT_SUCCESS : EXIT_FAILURE;
  }
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGTERM, SIGINT, SIGUSR1}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  BridgeBackend bridge(options.scenario, options.device, std::cerr);
  FunctionFs function(options.functionFs, kInterfaceName);
  CommandRouter router(DiskModel(kDiskBlocks), [&bridge](const ScsiRequest& request) { return bridge.Execute(request); });
  MassStorageServer server(function, router, options.verbose ? &std::cerr : nullptr);
  UdcBinding udc(options.udcFile, options.controller, std::cerr);

  if (!udc.Bind()) return EXIT_FAILURE;
  std::thread control([&function] { function.ServeControl(std::cerr); });
  control.detach();
  std::cerr << "gadget: presenting " << bridge.Path() << " from " << options.scenario << std::endl;
  std::thread serving([&] { Serve(server, bridge, udc); });
  serving.detach();
  HandleSignals(signals, bridge, udc, options);
}

}  // namespace
}  // namespace qfw::e2e

int main(int argc, char** argv) {
  qfw::e2e::GadgetOptions options;
  try {
    options = qfw::e2e::ParseGadgetOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "qfw-e2e-gadget: " << error.what() << "\n" << qfw::e2e::GadgetUsage();
    return 2;
  }
  try {
    return qfw::e2e::Run(options);
  } catch (const std::exception& error) {
    std::cerr << "qfw-e2e-gadget: " << error.what() << "\n";
    return EXIT_FAILURE;
  }
}
