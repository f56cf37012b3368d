#include "emulator/scenario.h"

#include <fstream>
#include <map>
#include <sstream>

#include "emulator/emulated_bus.h"
#include "emulator/scenario_reader.h"

namespace qfw::emu {

using scenario::Json;
using scenario::Where;

namespace {

void CheckUniquePaths(const std::vector<DeviceConfig>& devices) {
  std::map<std::string, std::size_t> owners;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    std::vector<std::string> paths{devices[i].path};
    if (devices[i].cdromPath) {
      paths.push_back(*devices[i].cdromPath);
    }
    for (const std::string& path : paths) {
      const auto [owner, fresh] = owners.emplace(path, i);
      if (!fresh) {
        Where(static_cast<int>(i), "path").Fail("\"" + path + "\" is used by device " + std::to_string(owner->second));
      }
    }
  }
}

}  // namespace

Scenario ParseScenario(std::string_view json, const ScenarioOptions& options) {
  const Where top(-1, "");
  Json root;
  try {
    root = Json::parse(json);
  } catch (const Json::exception& error) {  // syntax errors, and numbers too large to hold
    top.Fail(std::string("malformed JSON: ") + error.what());
  }
  scenario::ExpectObject(root, top);
  scenario::CheckFields(root, {"description", "devices"}, top);
  Scenario result;
  if (root.contains("description")) {
    result.description = scenario::ReadString(root["description"], top / "description");
  }
  if (!root.contains("devices") || !root["devices"].is_array()) {
    (top / "devices").Fail("expected an array of devices");
  }
  int index = 0;
  for (const Json& device : root["devices"]) {
    result.devices.push_back(scenario::ReadDevice(device, index++, options));
  }
  CheckUniquePaths(result.devices);
  return result;
}

Scenario LoadScenario(const std::filesystem::path& path, const ScenarioOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw ScenarioError("cannot read scenario file \"" + path.string() + "\"");
  }
  std::ostringstream text;
  text << in.rdbuf();
  ScenarioOptions fromFile = options;
  fromFile.baseDirectory = path.parent_path();
  return ParseScenario(text.str(), fromFile);
}

void Install(const Scenario& scenario, EmulatedBus& bus) {
  for (const DeviceConfig& device : scenario.devices) {
    bus.Add(device);
  }
}

}  // namespace qfw::emu
