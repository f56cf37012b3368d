#pragma once
// Flash contents and image files the command-line tests work with.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "flash/image_checksum.h"
#include "flash/image_layout.h"
#include "resources/family13_image.h"
#include "tests/support/family13_flash.h"
#include "tests/support/temporary_folder.h"

namespace qfw::cli::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes EmbeddedImage13() {
  const auto image = Family13ImageBytes();
  return Bytes(image.begin(), image.end());
}

// A valid family-13 image whose code differs from the embedded one.
inline Bytes OtherImage13(std::uint8_t seed) {
  Bytes image = EmbeddedImage13();
  for (std::size_t i = 0x100; i < 0x1100; ++i) image[i] = static_cast<std::uint8_t>(image[i] ^ (seed + i));
  qfw::test::StoreChecksum13(image);
  return image;
}

// A whole flash holding an older firmware: a valid image, its ConfigBlock
// with some device bytes, zeros after it.
inline Bytes OlderFlash13() {
  Bytes flash = OtherImage13(0x3C);
  flash.resize(kFlashImageSize, 0x00);
  flash[kConfigOffset13 + 20] = 0xA7;  // a device setting the update keeps
  return flash;
}

inline void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

using qfw::test::TemporaryFolder;

// A sysfs tree in which /dev/sg1 leads to disk sdb with partitions sdb1 and
// sdb2, and a mount table.
inline void WriteMountFixture(const std::filesystem::path& root, const std::string& mounts) {
  namespace fs = std::filesystem;
  const fs::path disk = root / "sys/class/scsi_generic/sg1/device/block/sdb";
  for (const char* partition : {"sdb1", "sdb2"}) {
    fs::create_directories(disk / partition);
    std::ofstream(disk / partition / "partition") << "1\n";
  }
  fs::create_directories(disk / "holders");
  std::ofstream(root / "mounts") << mounts;
}

}  // namespace qfw::cli::test
