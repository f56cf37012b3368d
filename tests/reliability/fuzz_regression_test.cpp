// Replays every input a fuzz target once failed on (fuzz/regressions/) and
// every seed of the corpora (fuzz/corpus/) through the same entries the
// fuzzers call: they must all run through without a crash, a sanitizer
// report or an escaping exception.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"

namespace qfw::test {
namespace {

struct Target {
  const char* name;
  std::function<void(std::span<const std::uint8_t>)> entry;
};

const Target kTargets[] = {
    {"identification", fuzz::IdentifyFromAnswers},
    {"firmware_file", fuzz::MatchFirmwareFileBytes},
    {"image_check", fuzz::CheckImageBytes},
    {"scenario", fuzz::ParseScenarioText},
};

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs every file under folder/<target> through the target; returns how many.
std::size_t Replay(const std::filesystem::path& folder) {
  std::size_t replayed = 0;
  for (const Target& target : kTargets) {
    const auto directory = folder / target.name;
    if (!std::filesystem::is_directory(directory)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      if (!entry.is_regular_file()) continue;
      SCOPED_TRACE(entry.path().string());
      const std::vector<std::uint8_t> input = ReadAll(entry.path());
      EXPECT_NO_THROW(target.entry(input));
      ++replayed;
    }
  }
  return replayed;
}

TEST(FuzzRegressions, EveryKeptFindingRunsThrough) { Replay(QFW_FUZZ_DIR "/regressions"); }

TEST(FuzzRegressions, EverySeedRunsThrough) { EXPECT_GT(Replay(QFW_FUZZ_DIR "/corpus"), 0u); }

// The edges of the answer stream: nothing at all, and a device that
// answers everything in full with zeros or with 0xFF.
TEST(FuzzRegressions, DegenerateInputs) {
  const std::vector<std::vector<std::uint8_t>> inputs{
      {}, {0x02}, std::vector<std::uint8_t>(4096, 0x02), std::vector<std::uint8_t>(4096, 0xFF),
      std::vector<std::uint8_t>(4096, 0x03)};
  for (const Target& target : kTargets) {
    for (const auto& input : inputs) EXPECT_NO_THROW(target.entry(input)) << target.name;
  }
}

}  // namespace
}  // namespace qfw::test
