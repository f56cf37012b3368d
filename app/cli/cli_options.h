#pragma once
// The command line of qfwupdate-cli: a command word, its options, and the
// options every program of this project understands.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_options.h"

namespace qfw::cli {

enum class Command { None, List, Update, Backup, Restore, Info };

inline constexpr std::chrono::seconds kDefaultReattachWait{30};

struct CliOptions {
  ProgramOptions common;
  Command command = Command::None;
  std::vector<std::string> operands;                         // after the command word
  std::optional<std::string> device;                         // --device PATH
  std::optional<std::string> output;                         // backup: -o FILE
  std::optional<std::string> backup;                         // update: --backup FILE
  std::optional<std::string> image;                          // update: --image FILE
  std::optional<std::string> dumpFlash;                      // emulated runs: --dump-flash FILE
  std::chrono::seconds reattachWait = kDefaultReattachWait;  // update: --wait SECONDS
  bool yes = false;
  bool json = false;
  bool force = false;
};

// Throws std::invalid_argument with a message for the user on a bad line.
// With --help or --version the command and its options are not checked.
CliOptions ParseCliOptions(const std::vector<std::string>& args);

std::string_view CommandName(Command command);

// The whole help text.
std::string CliUsage();

}  // namespace qfw::cli
