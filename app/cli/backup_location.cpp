#include "app/cli/backup_location.h"

#include <array>
#include <ctime>

#include "app/cli/file_io.h"

namespace qfw::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgramFolder = "qfwupdate";
constexpr std::string_view kBackupExtension = ".bin";

std::string UtcStamp(std::chrono::system_clock::time_point now) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  std::array<char, 32> text{};
  std::strftime(text.data(), text.size(), "%Y%m%dT%H%M%SZ", &utc);
  return text.data();
}

}  // namespace

std::optional<fs::path> StateDirectory(const std::optional<std::string>& xdgStateHome,
                                       const std::optional<std::string>& home) {
  if (xdgStateHome && fs::path(*xdgStateHome).is_absolute()) return fs::path(*xdgStateHome) / kProgramFolder;
  if (home && !home->empty()) return fs::path(*home) / ".local" / "state" / kProgramFolder;
  return std::nullopt;
}

fs::path NewBackupPath(const fs::path& dir, const std::string& devicePath, std::chrono::system_clock::time_point now) {
  std::string device = fs::path(devicePath).filename().string();
  if (device.empty()) device = "device";
  const std::string stem = device + "-" + UtcStamp(now);
  fs::path path = dir / (stem + std::string(kBackupExtension));
  std::error_code error;
  for (int n = 2; fs::exists(path, error); ++n) {
    path = dir / (stem + "-" + std::to_string(n) + std::string(kBackupExtension));
  }
  return path;
}

void CreateStateDirectory(const fs::path& dir) {
  std::error_code error;
  if (fs::is_directory(dir, error)) return;
  fs::create_directories(dir, error);
  if (error) throw FileError("cannot create the folder " + dir.string() + ": " + error.message());
  fs::permissions(dir, fs::perms::owner_all, error);
}

}  // namespace qfw::cli
