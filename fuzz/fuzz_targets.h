#pragma once
// The code under fuzzing, one entry per target. Each takes one input of the
// fuzzer; a crash, a sanitizer report or an exception that escapes is a
// finding. The libFuzzer programs call them, and so does the test suite,
// which replays every input in fuzz/regressions/ and fuzz/corpus/.

#include <cstdint>
#include <span>

namespace qfw::fuzz {

// Identification and flash detection of a device that answers with the
// input: chip family, variant, flash kind and AMIC model, the details
// refresh and the device report.
void IdentifyFromAnswers(std::span<const std::uint8_t> input);

// The firmware-file check on a file holding the input after its first two
// bytes, which give the chip family and revision.
void MatchFirmwareFileBytes(std::span<const std::uint8_t> input);

// The terminal program's image checks: the input as a family-13 firmware
// image, as a whole-flash image of every family, and read back from a file.
void CheckImageBytes(std::span<const std::uint8_t> input);

// The scenario-file parser on the input as text; a scenario that parses is
// installed on a bus and its devices identified.
void ParseScenarioText(std::span<const std::uint8_t> input);

}  // namespace qfw::fuzz
