#pragma once
// Runs a program as a child process with standard input from /dev/null and
// its output captured, and extra environment variables.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace qfw::cli::test {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// scratch: a folder for the captured output.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::filesystem::path& scratch,
                                const std::map<std::string, std::string>& environment = {}) {
  const std::string outFile = (scratch / "stdout.txt").string();
  const std::string errFile = (scratch / "stderr.txt").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStrings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    if (!environment.contains(text.substr(0, text.find('=')))) envStrings.push_back(text);
  }
  for (const auto& [name, value] : environment) envStrings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : envStrings) envp.push_back(entry.data());
  envp.push_back(nullptr);

  ProcessResult result;
  pid_t pid = 0;
  const int spawnError = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) return result;
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = Slurp(outFile);
  result.err = Slurp(errFile);
  return result;
}

}  // namespace qfw::cli::test
