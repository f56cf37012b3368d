#pragma once
// The texts the update window shows as the outcome of a run or a scan. The
// terminal program prints the same texts; the window centres some of them in
// its label with leading spaces, which the terminal leaves out (Trimmed).

#include <string_view>

namespace qfw {

inline constexpr std::string_view kAlreadyUpdatedText = "               The chip already updated!!";
inline constexpr std::string_view kNoDeviceText = "                 No device found!!";
inline constexpr std::string_view kNoDeviceItem = "No available device!!!";
inline constexpr std::string_view kUpdateFailText = "                     Update    fail!!";
inline constexpr std::string_view kReattachText = "Please wait device re-attached!";
inline constexpr std::string_view kPowerCycleText = "Please power cycle the device";
inline constexpr std::string_view kAutoResetText = "QRS642 Auto reset, Please wait device re-attached!";

// The text without its leading spaces; spaces inside stay.
constexpr std::string_view Trimmed(std::string_view text) {
  const auto start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view{} : text.substr(start);
}

}  // namespace qfw
