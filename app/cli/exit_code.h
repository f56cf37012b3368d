#pragma once
// The exit codes of qfwupdate-cli, in the manner of fwupdmgr.

namespace qfw::cli {

enum class ExitCode : int {
  Success = 0,
  Failure = 1,       // the command failed or refused; also a bad command line
  NothingToDo = 2,   // the device already holds the firmware image
  NoSuchDevice = 3,  // no such device, or no device this program updates
};

constexpr int ToInt(ExitCode code) { return static_cast<int>(code); }

}  // namespace qfw::cli
