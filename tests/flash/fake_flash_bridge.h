#pragma once
// A small bridge double for the flash engine's tests: a flash array behind
// the block read and write commands, the status and kind reads, SPI id
// answers, controller memory and the chip information, with hooks that fail
// chosen requests or tamper with what is read.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "device/bytes.h"
#include "device/context.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw::test {

// One block command as the bridge saw it. Reads carry mode 0.
struct Chunk {
  std::uint32_t address;
  std::uint32_t length;
  std::uint8_t mode;
  bool operator==(const Chunk&) const = default;
};

inline void PrintTo(const Chunk& c, std::ostream* os) {
  *os << "(" << c.address << ", " << c.length << ", 0x" << std::hex << int{c.mode} << std::dec << ")";
}

inline constexpr std::uint8_t kReadFlashBlockCode = 0xFA;
inline constexpr std::uint8_t kWriteFlashBlockCode = 0xFB;

// The block command of the given function (0xFA read, 0xFB write), if the
// request is one.
inline std::optional<Chunk> AsBlockCommand(const RecordedRequest& r, std::uint8_t function) {
  if (r.cdb.size() != 12 || r.cdb[0] != 0xDF || r.cdb[11] != function) return std::nullopt;
  const auto cdb = std::span<const std::uint8_t>(r.cdb);
  return Chunk{GetBe24(cdb.subspan<8, 3>()), GetBe16(cdb.subspan<3, 2>()),
               function == kWriteFlashBlockCode ? cdb[1] : std::uint8_t{0}};
}

inline std::vector<Chunk> BlockCommands(const ScriptedPassThrough& driver, std::uint8_t function) {
  std::vector<Chunk> chunks;
  for (const RecordedRequest& r : driver.Requests()) {
    if (const auto chunk = AsBlockCommand(r, function)) chunks.push_back(*chunk);
  }
  return chunks;
}
inline std::vector<Chunk> Writes(const ScriptedPassThrough& driver) {
  return BlockCommands(driver, kWriteFlashBlockCode);
}
inline std::vector<Chunk> Reads(const ScriptedPassThrough& driver) {
  return BlockCommands(driver, kReadFlashBlockCode);
}

// A 16-byte chip-information record with the given version bytes.
inline std::vector<std::uint8_t> ChipInfoRecord(std::uint8_t shortVersion, std::uint8_t long0, std::uint8_t long1) {
  std::vector<std::uint8_t> record(16, 0);
  record[0] = 0xF4;
  record[1] = 0xE7;
  record[6] = shortVersion;
  record[12] = long0;
  record[13] = long1;
  return record;
}

class FakeFlashBridge {
 public:
  explicit FakeFlashBridge(ScriptedPassThrough& driver, std::size_t flashSize = 0x10000)
      : flash(flashSize, 0xFF) {
    driver.SetHandler([this](const RecordedRequest& r, std::span<std::uint8_t> in) { return Handle(r, in); });
  }
  FakeFlashBridge(const FakeFlashBridge&) = delete;
  FakeFlashBridge& operator=(const FakeFlashBridge&) = delete;

  std::vector<std::uint8_t> flash;
  std::uint8_t status = 0x00;                  // flash status byte
  std::optional<std::uint8_t> reportedKind = 0;  // nothing: the kind read fails
  std::map<std::uint8_t, std::vector<std::uint8_t>> spiAnswers;  // id opcode -> answer
  std::vector<std::uint8_t> chipInfo;          // empty: the read fails
  std::map<std::uint32_t, std::array<std::uint8_t, 4>> memory;   // controller memory by address
  std::function<bool(const RecordedRequest&)> refuse;            // fails the requests it picks
  std::function<void(std::uint32_t address, std::span<std::uint8_t>)> afterRead;  // alters read data

 private:
  static ScsiResult Answer(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> in) {
    std::fill(in.begin(), in.end(), std::uint8_t{0});
    std::copy_n(bytes.begin(), std::min(bytes.size(), in.size()), in.begin());
    return Completed(in.size());
  }

  ScsiResult Handle(const RecordedRequest& r, std::span<std::uint8_t> in) {
    if (refuse && refuse(r)) return Failed();
    const auto& cdb = r.cdb;
    if (cdb[0] == 0xFF && cdb[1] == 0x04) return Vendor(r, in);
    if (cdb[0] == 0xE0) return chipInfo.empty() ? Failed() : Answer(chipInfo, in);
    if (cdb[0] == 0xDF && cdb[11] == 0xFD) {
      const auto it = memory.find(GetBe16(std::span<const std::uint8_t>(cdb).subspan<6, 2>()));
      return Answer(it == memory.end() ? std::span<const std::uint8_t>{} : std::span<const std::uint8_t>(it->second),
                    in);
    }
    if (const auto read = AsBlockCommand(r, kReadFlashBlockCode)) return ReadBlock(*read, in);
    if (const auto write = AsBlockCommand(r, kWriteFlashBlockCode)) return WriteBlock(*write, r.dataOut);
    return Completed(r.length);
  }

  ScsiResult Vendor(const RecordedRequest& r, std::span<std::uint8_t> in) {
    const std::vector<std::uint8_t> none(4, 0xFF);
    const auto answerTo = [&](std::uint8_t opcode) {
      const auto it = spiAnswers.find(opcode);
      return Answer(it == spiAnswers.end() ? none : it->second, in);
    };
    switch (r.cdb[2]) {
      case 0x12:
        return Answer(std::array{status}, in);
      case 0x23:
        return reportedKind ? Answer(std::array{*reportedKind}, in) : Failed();
      case 0x20:
        lastOpcode_ = r.cdb[5];
        return Completed(0);
      case 0x21:
        return answerTo(lastOpcode_);
      case 0x15:
        return answerTo(r.cdb[4]);
      default:
        return Completed(r.length);
    }
  }

  bool InFlash(const Chunk& c) const { return std::size_t{c.address} + c.length <= flash.size(); }

  ScsiResult ReadBlock(const Chunk& c, std::span<std::uint8_t> in) {
    if (!InFlash(c) || in.size() != c.length) return Failed();
    std::copy_n(flash.begin() + c.address, c.length, in.begin());
    if (afterRead) afterRead(c.address, in);
    return Completed(in.size());
  }

  ScsiResult WriteBlock(const Chunk& c, std::span<const std::uint8_t> data) {
    if (!InFlash(c) || data.size() != c.length) return Failed();
    std::copy(data.begin(), data.end(), flash.begin() + c.address);
    return Completed(data.size());
  }

  std::uint8_t lastOpcode_ = 0;
};

// A bridge double with the transport and the host around it.
struct FlashBench {
  explicit FlashBench(std::size_t flashSize = 0x10000) : bridge(driver, flashSize) {}
  ScriptedPassThrough driver;
  Transport transport{driver};
  FakeHost host;
  Context context{transport, host.host};
  FakeFlashBridge bridge;
  const std::string path = "/dev/sg3";
};

// Bytes whose value depends on their position and the seed.
inline std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed) ^ (i >> 8));
  return bytes;
}

}  // namespace qfw::test
