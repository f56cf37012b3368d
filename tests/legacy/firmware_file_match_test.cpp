// Which firmware files fit which controller, by family and revision, and
// how the file itself is read.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "legacy/firmware_file_match.h"
#include "tests/support/fake_host.h"
#include "tests/support/temporary_folder.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A file's bytes with header records placed at offsets.
class FileBytes {
 public:
  // marker: 55 AA AA 55 in bytes 0..3 when set, zero otherwise.
  FileBytes& Record(std::uint32_t offset, bool marker, const std::string& tag, std::uint8_t byte8 = 0) {
    Bytes record(kFirmwareTagRecordSize, 0);
    if (marker) record = {0x55, 0xAA, 0xAA, 0x55, 0, 0, 0, 0, 0, 0};
    std::copy(tag.begin(), tag.end(), record.begin() + 4);
    record[8] = byte8;
    return Raw(offset, record);
  }
  FileBytes& Raw(std::uint32_t offset, const Bytes& bytes) {
    if (bytes_.size() < offset + bytes.size()) bytes_.resize(offset + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + offset);
    return *this;
  }
  FileBytes& Size(std::size_t size) {
    bytes_.resize(size, 0);
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

  // Reads like a file: past the end there are zeros.
  FirmwareRecordReader Reader() const {
    return [this](std::uint32_t offset) {
      FirmwareTagRecord record{};
      for (std::size_t i = 0; i < record.size() && offset + i < bytes_.size(); ++i) record[i] = bytes_[offset + i];
      return record;
    };
  }

 private:
  Bytes bytes_;
};

bool Fits(const FileBytes& file, std::uint8_t family, std::uint8_t revision = 0) {
  return MatchFirmwareRecords(file.Reader(), MakeChipId(family, revision));
}

struct Case {
  const char* what;
  std::uint8_t family;
  std::uint8_t revision;
  FileBytes file;
  bool fits;
};

FileBytes Marked(const std::string& tag, std::uint8_t byte8 = 0) { return FileBytes().Record(0, true, tag, byte8); }
FileBytes Plain(const std::string& tag) { return FileBytes().Record(0, false, tag); }

TEST(MatchFirmwareRecords, FamilyTable) {
  const Case cases[] = {
      {"family 13 refuses its own tag", 13, 1, Marked("6421"), false},
      {"family 12 refuses", 12, 1, Marked("6321"), false},
      {"family 5 refuses", 5, 1, Marked("6151"), false},
      {"family 0 refuses", 0, 0, Marked("6111"), false},
      {"family 19 is no family", 19, 0, Marked("6111"), false},
      {"family 3 takes an empty file", 3, 1, FileBytes(), true},
      {"family 14 takes anything", 14, 0, Plain("xxxx"), true},
      {"family 17 takes anything", 17, 0, Marked("9999"), true},
      {"family 2 refuses a 61 tag", 2, 1, Plain("6120"), false},
      {"family 2 takes another tag, marker or not", 2, 1, Marked("6210"), true},
      {"family 18 refuses a 61 tag", 18, 0, Marked("61zz"), false},
      {"family 18 takes 6 followed by 2", 18, 0, Plain("62"), true},
      {"family 1 revision 1 refuses 6110", 1, 1, Plain("6110"), false},
      {"family 1 revision 1 takes 5A A5 0F F0", 1, 1, Plain("\x5A\xA5\x0F\xF0"), true},
      {"family 1 revision 2 takes 6111", 1, 2, Plain("6111"), true},
      {"family 1 revision 2 refuses 6110", 1, 2, Plain("6110"), false},
      {"family 4 revision 3 takes 6142", 4, 3, Plain("6142"), true},
      {"family 4 revision 3 refuses 6141", 4, 3, Plain("6141"), false},
      {"family 8 refuses 623 with the marker", 8, 0, Marked("6230"), false},
      {"family 8 takes 624 with the marker", 8, 0, Marked("6240"), true},
      {"family 9 takes 624, any fourth byte", 9, 5, Marked("624Z"), true},
      {"family 10 takes 641, any revision digit", 10, 9, Marked("641x"), true},
      {"family 10 refuses 642", 10, 0, Marked("6421"), false},
      {"family 10 without any marker decides on offset 0", 10, 0, Plain("6410"), true},
      {"family 10 without any marker, other tag", 10, 0, Plain("6420"), false},
      {"family 10 with the marker at 0x1000 only", 10, 0, FileBytes().Record(0, false, "9999").Record(0x1000, true, "6411"),
       true},
      {"family 10 with a wrong tag at 0x1000", 10, 0, FileBytes().Record(0, false, "6411").Record(0x1000, true, "6421"),
       false},
      {"family 6 revision 2 with byte 8 = '1' at 0x1000", 6, 2,
       FileBytes().Record(0, false, "").Record(0x1000, true, "6211", '1'), true},
      {"family 6 revision 2 with byte 8 = '0' at 0x1000", 6, 2,
       FileBytes().Record(0, false, "").Record(0x1000, true, "6211", '0'), false},
      {"family 6 revision 1 with byte 8 zero", 6, 1, Marked("6210", 0), true},
      {"family 6 revision 1 with byte 8 = '0'", 6, 1, Marked("6210", '0'), true},
      {"family 6 with a 622 tag", 6, 1, Marked("6220", '0'), false},
      {"family 6 byte 8 comes from 0x1000 when neither has the marker", 6, 2,
       FileBytes().Record(0, false, "6211", '1').Record(0x1000, false, "", '0'), false},
      {"family 7 revision 1", 7, 1, Marked("q622"), true},
      {"family 7 revision 2", 7, 2, Marked("6221"), true},
      {"family 7 revision 2 needs the marker", 7, 2, Plain("6221"), false},
      {"family 7 revision 1 refuses the revision-2 signature", 7, 1, Marked("6221"), false},
      {"family 7 revision 3 never fits", 7, 3, Marked("6221"), false},
      {"family 11 at 0x4000 with 55 AA only", 11, 0, FileBytes().Raw(0x4000, {0x55, 0xAA, 0x12, 0x34, '6', '3', '1', 'q'}),
       true},
      {"family 11 ignores offset 0", 11, 0, Marked("6311"), false},
      {"family 11 needs 631", 11, 0, FileBytes().Raw(0x4000, {0x55, 0xAA, 0, 0, '6', '3', '2', '1'}), false},
      {"family 11 needs 55 AA", 11, 0, FileBytes().Raw(0x4000, {0x55, 0xAB, 0xAA, 0x55, '6', '3', '1', '1'}), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fits(c.file, c.family, c.revision), c.fits) << c.what;
  }
}

// A file too short for the record read at an offset: the missing bytes are
// zero, so every marker and tag test fails.
TEST(MatchFirmwareRecords, ShortFileReadsAsZeros) {
  const FileBytes hundredBytes = FileBytes().Raw(0, {0x55, 0xAA, 0xAA, 0x55, '6', '3', '1', '1'}).Size(100);
  EXPECT_FALSE(Fits(hundredBytes, 11)) << "nothing at 0x4000";
  const FileBytes sixBytes = FileBytes().Raw(0, {0x55, 0xAA, 0xAA, 0x55, '6', '4'});
  EXPECT_FALSE(Fits(sixBytes, 10)) << "the tag's third byte is missing";
  EXPECT_TRUE(Fits(FileBytes(), 2, 1)) << "two zero bytes do not begin with 61";
  EXPECT_FALSE(Fits(FileBytes(), 1, 1));
}

class MatchFirmwareFileTest : public testing::Test {
 protected:
  std::string Write(const Bytes& bytes) {
    const std::string path = folder_.File("firmware.bin");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  test::TemporaryFolder folder_;
  test::RecordingMessageBox messages_;
};

TEST_F(MatchFirmwareFileTest, ReadsBothRecordPlacesFromTheFile) {
  FileBytes file;
  file.Record(0, false, "0000").Record(0x1000, true, "6411").Size(0x2000);
  const std::string name = Write(file.bytes());
  EXPECT_TRUE(MatchFirmwareFile(name, MakeChipId(10, 0), messages_));
  EXPECT_FALSE(MatchFirmwareFile(name, MakeChipId(8, 0), messages_));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MatchFirmwareFileTest, ShortFileDoesNotFitWithoutAComplaint) {
  const std::string name = Write(Bytes(100, 0x55));
  EXPECT_FALSE(MatchFirmwareFile(name, MakeChipId(11, 0), messages_));
  EXPECT_TRUE(MatchFirmwareFile(name, MakeChipId(3, 0), messages_));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MatchFirmwareFileTest, FileThatCannotBeOpened) {
  for (const std::uint8_t family : {std::uint8_t{3}, std::uint8_t{13}}) {
    messages_.shown.clear();
    EXPECT_FALSE(MatchFirmwareFile("/nonexistent/qfw/firmware.bin", MakeChipId(family, 1), messages_));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Open Firmware File Error!!");
    EXPECT_EQ(messages_.shown[0].caption, "Error");
    EXPECT_EQ(messages_.shown[0].icon, MessageIcon::None);
  }
}

}  // namespace
}  // namespace qfw
