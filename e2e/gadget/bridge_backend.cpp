#include "e2e/gadget/bridge_backend.h"

#include <stdexcept>

#include "emulator/scenario.h"
#include "resources/family13_image.h"

namespace qfw::e2e {

BridgeBackend::BridgeBackend(const std::filesystem::path& scenario, const std::optional<std::string>& devicePath,
                             std::ostream& log) {
  const emu::Scenario machine = emu::LoadScenario(scenario, {.embeddedImage = Family13ImageCopy});
  if (machine.devices.empty()) {
    throw std::runtime_error("the scenario has no device");
  }
  emu::Install(machine, bus_);
  path_ = devicePath.value_or(machine.devices.front().path);
  bridge_ = bus_.Find(path_);
  if (bridge_ == nullptr) {
    throw std::runtime_error("the scenario has no device at " + path_);
  }
  bus_.SetListener([&log](const std::string& path, bool attached) {
    log << "gadget: bridge " << path << (attached ? " attached" : " detached") << std::endl;
  });
}

ScsiResult BridgeBackend::Execute(const ScsiRequest& request) {
  const std::lock_guard lock(mutex_);
  return bus_.Execute(path_, request);
}

bool BridgeBackend::Present() {
  const std::lock_guard lock(mutex_);
  bus_.Poll();
  return bridge_->Present();
}

std::vector<std::uint8_t> BridgeBackend::FlashContents() {
  const std::lock_guard lock(mutex_);
  const auto contents = bridge_->Flash().Contents();
  return {contents.begin(), contents.end()};
}

}  // namespace qfw::e2e
