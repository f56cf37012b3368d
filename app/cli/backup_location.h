#pragma once
// Where the update keeps the former flash when the user names no file: the
// program's state folder, $XDG_STATE_HOME/qfwupdate or, without it,
// ~/.local/state/qfwupdate.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace qfw::cli {

// Nothing when neither an absolute XDG_STATE_HOME nor HOME is known.
std::optional<std::filesystem::path> StateDirectory(const std::optional<std::string>& xdgStateHome,
                                                    const std::optional<std::string>& home);

// A new file in dir named after the device and the time (UTC), e.g.
// "sg1-20250102T030405Z.bin"; "-2", "-3" ... are added when it exists.
std::filesystem::path NewBackupPath(const std::filesystem::path& dir, const std::string& devicePath,
                                    std::chrono::system_clock::time_point now);

// Creates dir (only the owner may enter new folders). Throws FileError.
void CreateStateDirectory(const std::filesystem::path& dir);

}  // namespace qfw::cli
