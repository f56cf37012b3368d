#include "app/cli/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

namespace qfw::cli {
namespace {

constexpr mode_t kFileMode = 0644;

// Owns one open file descriptor.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  // Closes now; the errno of a failed close, else 0.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
  throw FileError("cannot " + what + " " + path.string() + ": " + std::strerror(error));
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write", path, errno);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
}

void WriteTemporary(const std::filesystem::path& temporary, std::span<const std::uint8_t> bytes) {
  UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode));
  if (fd.Get() < 0) Fail("create", temporary, errno);
  WriteAll(fd.Get(), bytes, temporary);
  if (::fsync(fd.Get()) != 0) Fail("flush", temporary, errno);
  if (const int error = fd.Close(); error != 0) Fail("close", temporary, error);
}

// The rename itself reaches the disk only with its folder.
void FlushFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) Fail("open the folder of", path, errno);
  if (::fsync(fd.Get()) != 0) Fail("flush the folder of", path, errno);
}

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (!file) Fail("open", path, errno);
  std::vector<std::uint8_t> bytes(limit + 1);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (file.bad()) Fail("read", path, errno);
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

void WriteFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  // The rename would replace whatever stands at path: a device node such as
  // /dev/null or a folder must stay what it is.
  std::error_code error;
  const auto status = std::filesystem::symlink_status(path, error);
  if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw FileError("cannot write " + path.string() + ": not a regular file");
  }
  std::filesystem::path temporary = path;
  temporary += ".part";
  try {
    WriteTemporary(temporary, bytes);
  } catch (const FileError&) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    Fail("write", path, error);
  }
  FlushFolderOf(path);
}

}  // namespace qfw::cli
