#pragma once
// Whole files in and out: the images the user gives and the backups the
// program makes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

namespace qfw::cli {

// A file that cannot be read or written; the message names it and says why.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file's bytes; a file longer than limit gives its first limit + 1
// bytes, enough to tell that it is too long.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, std::size_t limit);

// Writes bytes to a temporary file next to path, flushes it to the disk and
// renames it to path, so path holds either all of it or what it held before.
void WriteFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace qfw::cli
