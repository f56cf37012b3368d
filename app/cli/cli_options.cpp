#include "app/cli/cli_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>
#include <stdexcept>

namespace qfw::cli {
namespace {

constexpr long kMaxReattachWaitSeconds = 3600;

struct CommandRow {
  Command command;
  std::string_view name;
  std::size_t operands;  // how many operands it takes
  std::string_view operandName;
};

constexpr std::array<CommandRow, 5> kCommands{{
    {Command::List, "list", 0, ""},
    {Command::Update, "update", 0, ""},
    {Command::Backup, "backup", 0, ""},
    {Command::Restore, "restore", 1, "FILE"},
    {Command::Info, "info", 0, ""},
}};

using Setter = void (*)(CliOptions&, const std::string&);

struct OptionRow {
  std::string_view name;
  std::string_view shortName;
  bool takesValue;
  std::initializer_list<Command> commands;  // where it may be given
  Setter set;
};

std::chrono::seconds ParseSeconds(const std::string& text) {
  long value = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < 0 || value > kMaxReattachWaitSeconds) {
    throw std::invalid_argument("--wait needs a number of seconds from 0 to 3600, not " + text);
  }
  return std::chrono::seconds(value);
}

void SetReattachWait(CliOptions& options, const std::string& value) { options.reattachWait = ParseSeconds(value); }

constexpr auto kDeviceCommands = {Command::Update, Command::Backup, Command::Restore, Command::Info};
constexpr auto kWritingCommands = {Command::Update, Command::Restore};

const std::array<OptionRow, 9> kOptions{{
    {"--device", "-d", true, kDeviceCommands, [](CliOptions& o, const std::string& v) { o.device = v; }},
    {"--output", "-o", true, {Command::Backup}, [](CliOptions& o, const std::string& v) { o.output = v; }},
    {"--backup", "", true, {Command::Update}, [](CliOptions& o, const std::string& v) { o.backup = v; }},
    {"--image", "", true, {Command::Update}, [](CliOptions& o, const std::string& v) { o.image = v; }},
    {"--wait", "", true, {Command::Update}, SetReattachWait},
    {"--dump-flash", "", true, kDeviceCommands, [](CliOptions& o, const std::string& v) { o.dumpFlash = v; }},
    {"--yes", "-y", false, kWritingCommands, [](CliOptions& o, const std::string&) { o.yes = true; }},
    {"--force", "", false, kWritingCommands, [](CliOptions& o, const std::string&) { o.force = true; }},
    {"--json", "", false, {Command::List, Command::Info}, [](CliOptions& o, const std::string&) { o.json = true; }},
}};

// The option that arg names; the value of "--name=value" goes to value.
const OptionRow* MatchOption(const std::string& arg, std::optional<std::string>& value) {
  for (const OptionRow& row : kOptions) {
    if (arg == row.name || (!row.shortName.empty() && arg == row.shortName)) return &row;
    if (row.takesValue && arg.size() > row.name.size() && arg.starts_with(row.name) && arg[row.name.size()] == '=') {
      value = arg.substr(row.name.size() + 1);
      return &row;
    }
  }
  return nullptr;
}

const CommandRow& FindCommand(const std::string& word) {
  const auto it = std::ranges::find(kCommands, word, &CommandRow::name);
  if (it == kCommands.end()) throw std::invalid_argument("unknown command " + word);
  return *it;
}

void CheckAllowed(const std::vector<const OptionRow*>& given, Command command) {
  for (const OptionRow* row : given) {
    if (std::ranges::find(row->commands, command) == row->commands.end()) {
      throw std::invalid_argument(std::string(row->name) + " does not go with " + std::string(CommandName(command)));
    }
  }
}

void CheckRequired(const CliOptions& options) {
  const std::string name(CommandName(options.command));
  const bool needsDevice =
      options.command == Command::Backup || options.command == Command::Restore || options.command == Command::Info;
  if (needsDevice && !options.device) throw std::invalid_argument(name + " needs --device PATH");
  if (options.command == Command::Backup && !options.output) throw std::invalid_argument("backup needs -o FILE");
}

}  // namespace

std::string_view CommandName(Command command) {
  const auto it = std::ranges::find(kCommands, command, &CommandRow::command);
  return it == kCommands.end() ? std::string_view{} : it->name;
}

CliOptions ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  std::vector<std::string> rest;
  std::vector<const OptionRow*> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::optional<std::string> value;
    const OptionRow* row = MatchOption(args[i], value);
    if (row == nullptr) {
      rest.push_back(args[i]);
      continue;
    }
    if (row->takesValue && !value) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        throw std::invalid_argument(std::string(row->name) + " needs a value");
      }
      value = args[++i];
    }
    row->set(options, value.value_or(""));
    given.push_back(row);
  }
  options.common = ParseProgramOptions(rest);
  if (options.common.help || options.common.version) return options;

  auto& words = options.common.arguments;
  if (words.empty()) throw std::invalid_argument("no command given");
  const CommandRow& command = FindCommand(words.front());
  options.command = command.command;
  options.operands.assign(words.begin() + 1, words.end());
  if (options.operands.size() != command.operands) {
    const std::string wants =
        command.operands == 0 ? " takes no operand" : " needs " + std::string(command.operandName);
    throw std::invalid_argument(std::string(command.name) + wants);
  }
  CheckAllowed(given, options.command);
  CheckRequired(options);
  return options;
}

std::string CliUsage() {
  return "Usage: qfwupdate-cli COMMAND [OPTIONS]\n"
         "Updates the firmware of Quorell USB-to-SATA bridges from a terminal.\n"
         "\n"
         "Commands:\n"
         "  list                          every candidate device and what the update would do\n"
         "  info --device PATH            the details of one device\n"
         "  update [--device PATH]        update the first device that needs it, or PATH\n"
         "  backup --device PATH -o FILE  save the whole 64 KiB flash to FILE\n"
         "  restore --device PATH FILE    write FILE back to the flash and verify it\n"
         "\n"
         "Options:\n"
         "  --device, -d PATH         the device (/dev/sgN)\n"
         "  --output, -o FILE         backup: where to save the flash\n"
         "  --backup FILE             update: where to save the former flash (default: the state folder)\n"
         "  --image FILE              update: install this QRS642 firmware image instead of the built-in one\n"
         "  --yes, -y                 update, restore: do not ask for confirmation\n"
         "  --force                   update, restore: write even when a file system of the bridge is mounted\n"
         "  --wait SECONDS            update: how long to wait for a QRS642 bridge to re-attach (default 30)\n"
         "  --json                    list, info: print JSON\n"
         "  --dump-flash FILE         with --emulate: save the emulated device's flash after the command\n" +
         CommonOptionsHelp() +
         "\n"
         "Exit status: 0 success, 1 failure or refusal, 2 nothing to do, 3 no such device.\n"
         "See qfwupdate-cli(1).\n";
}

}  // namespace qfw::cli
