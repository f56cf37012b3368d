#pragma once
// The legacy procedures on an emulated bridge in virtual time: the real
// commands go through the real transport to an emulated controller, every
// status text the procedures write is kept in order, and the default images
// are whatever the test puts into the resource store.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "device/transport.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "legacy/legacy_image.h"
#include "legacy/panel_choices.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"
#include "tests/support/temporary_folder.h"

namespace qfw::test {

using ByteVector = std::vector<std::uint8_t>;

// Every state of the status field, in order, and the progress steps.
class StatusHistory final : public ProgressReporter {
 public:
  void StepProgress(int step) override { steps.push_back(step); }
  void SetStatusText(std::string_view text) override { texts.emplace_back(text); }
  void AppendStatusText(std::string_view text) override {
    texts.push_back((texts.empty() ? std::string() : texts.back()) + std::string(text));
  }
  std::string Last() const { return texts.empty() ? std::string() : texts.back(); }
  bool Saw(std::string_view text) const { return std::ranges::find(texts, text) != texts.end(); }

  std::vector<std::string> texts;
  std::vector<int> steps;
};

// Bytes that no erase or blank flash could pass for.
inline ByteVector ImagePattern(std::size_t size, std::uint8_t seed) {
  ByteVector bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((seed + i * 7 + (i >> 9)) % 0xFF);
  return bytes;
}

inline ByteVector Slice(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t length) {
  return ByteVector(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

inline bool AllAre(std::span<const std::uint8_t> bytes, std::uint8_t value) {
  return std::ranges::all_of(bytes, [&](std::uint8_t b) { return b == value; });
}

using ScratchDirectory = TemporaryFolder;

// Makes a directory the current one for as long as it lives.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& path) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~CurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

inline ByteVector FileBytes(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class LegacyProcedureTest : public testing::Test {
 protected:
  emu::EmulatedBridge& Add(const std::string& preset, const std::function<void(emu::DeviceConfig&)>& tweak = {},
                           const std::string& path = "/dev/sg1") {
    emu::DeviceConfig config = emu::Preset(preset).value();
    config.path = path;
    if (tweak) tweak(config);
    return bus_.Add(std::move(config));
  }

  void AddImage(std::string_view name, ByteVector bytes) {
    fake_.resources.Add(std::string(kLegacyImageType), std::string(name), std::move(bytes));
  }

  Context MakeContext() { return {transport_, host_}; }

  // Commands the device received whose CDB begins with the hex prefix.
  static std::vector<emu::LogEntry> Sent(const emu::EmulatedBridge& bridge, const std::string& prefix) {
    const ByteVector wanted = Bytes(prefix);
    std::vector<emu::LogEntry> found;
    for (const emu::LogEntry& entry : bridge.Log()) {
      if (std::equal(wanted.begin(), wanted.end(), entry.cdb.begin())) found.push_back(entry);
    }
    return found;
  }
  static std::size_t Count(const emu::EmulatedBridge& bridge, const std::string& prefix) {
    return Sent(bridge, prefix).size();
  }

  // The 24-bit flash addresses of the FF 04 14 sector erases, in order.
  static std::vector<std::uint32_t> SectorErases(const emu::EmulatedBridge& bridge) {
    std::vector<std::uint32_t> addresses;
    for (const emu::LogEntry& e : Sent(bridge, "ff 04 14")) {
      addresses.push_back(static_cast<std::uint32_t>(e.cdb[3] << 16 | e.cdb[4] << 8 | e.cdb[5]));
    }
    return addresses;
  }

  // The data lengths of the FF 04 10 flash reads, in order.
  static std::vector<std::size_t> FlashReadLengths(const emu::EmulatedBridge& bridge) {
    std::vector<std::size_t> lengths;
    for (const emu::LogEntry& e : Sent(bridge, "ff 04 10")) lengths.push_back(e.dataLength);
    return lengths;
  }

  static ByteVector FlashBytes(const emu::EmulatedBridge& bridge, std::size_t offset, std::size_t length) {
    return Slice(bridge.Flash().Contents(), offset, length);
  }

  const std::string kPath = "/dev/sg1";
  FakeHost fake_;
  StatusHistory status_;
  Host host_{fake_.clock, fake_.messages, fake_.debug, fake_.pump, status_, fake_.resources};
  emu::EmulatedBus bus_{fake_.clock};
  emu::EmulatedPassThrough driver_{bus_};
  Transport transport_{driver_};
  PanelChoices choices_;
};

}  // namespace qfw::test
