#include "legacy/firmware_file_match.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>

#include "legacy/chip_tag_table.h"

namespace qfw {
namespace {

constexpr std::string_view kOpenErrorText = "Open Firmware File Error!!";
constexpr std::string_view kOpenErrorCaption = "Error";
constexpr std::array<std::uint8_t, 4> kFamily1Revision1Tag{0x5A, 0xA5, 0x0F, 0xF0};
constexpr std::uint8_t kFamily11MarkerLength = 2;
constexpr std::size_t kTagOffset = 4;
constexpr std::size_t kTagLength = 4;
constexpr std::size_t kFamily6RevisionByte = 8;
constexpr std::uint8_t kDigitZero = 0x30;

using Tag = std::array<std::uint8_t, kTagLength>;

Tag TagOf(const FirmwareTagRecord& record) {
  Tag tag{};
  std::copy_n(record.begin() + kTagOffset, kTagLength, tag.begin());
  return tag;
}

bool HasMarker(const FirmwareTagRecord& record, std::size_t length = kFirmwareMarker.size()) {
  return std::equal(kFirmwareMarker.begin(), kFirmwareMarker.begin() + length, record.begin());
}

// The first text.size() bytes of the tag equal the text.
bool TagBeginsWith(const Tag& tag, std::string_view text) {
  return std::equal(text.begin(), text.end(), tag.begin(),
                    [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

// The revision digit the files of a revision carry: '0' + revision - 1.
std::uint8_t RevisionDigit(std::uint8_t revision) { return static_cast<std::uint8_t>(kDigitZero + revision - 1); }

// A three-character tag followed by the revision digit.
bool TagWithRevision(const Tag& tag, std::string_view chipTag, std::uint8_t revision) {
  return TagBeginsWith(tag, chipTag) && tag[chipTag.size()] == RevisionDigit(revision);
}

bool UsesTableCheck(std::uint8_t family) { return family == 6 || family == 8 || family == 9 || family == 10; }

// The record and tag the decision is made on.
struct Header {
  FirmwareTagRecord record;
  Tag tag;
};

// Families 6, 8, 9 and 10 find their record at offset 0 or, without the
// marker there, at 0x1000; a record with the marker must carry the family's
// chip tag. Without a marker in either place the tag from offset 0 stays.
bool PassesTableCheck(const FirmwareRecordReader& read, std::uint8_t family, Header& header) {
  const std::string_view chipTag = ChipTagTable[family];
  if (HasMarker(header.record)) return TagBeginsWith(header.tag, chipTag);
  header.record = read(kSecondaryRecordOffset);
  if (!HasMarker(header.record)) return true;
  header.tag = TagOf(header.record);
  return TagBeginsWith(header.tag, chipTag);
}

bool Family6Fits(const FirmwareTagRecord& record, std::uint8_t revision) {
  const std::uint8_t digit = record[kFamily6RevisionByte];
  const auto value = static_cast<std::uint8_t>(digit == 0 ? 0 : digit - kDigitZero);
  return value == static_cast<std::uint8_t>(revision - 1);
}

bool Family7Fits(const FirmwareTagRecord& record, std::uint8_t revision) {
  if (revision != 1 && revision != 2) return false;
  const auto& signature = Family7Signatures[revision - 1];
  return std::equal(signature.begin(), signature.end(), record.begin());
}

bool Decide(const Header& header, std::uint8_t family, std::uint8_t revision) {
  switch (family) {
    case 1:
      return revision == 1 ? header.tag == kFamily1Revision1Tag : TagWithRevision(header.tag, "611", revision);
    case 2: case 18:
      return !TagBeginsWith(header.tag, "61");
    case 3: case 14: case 15: case 16: case 17:
      return true;
    case 4:
      return TagWithRevision(header.tag, "614", revision);
    case 6:
      return Family6Fits(header.record, revision);
    case 7:
      return Family7Fits(header.record, revision);
    case 8: case 9: case 10: case 11:
      return TagBeginsWith(header.tag, ChipTagTable[family]);
    default:
      return false;
  }
}

// Reads records from an open file; what lies past its end reads as zero.
FirmwareTagRecord ReadRecord(std::ifstream& file, std::uint32_t offset) {
  FirmwareTagRecord record{};
  file.clear();
  if (!file.seekg(offset)) return record;
  file.read(reinterpret_cast<char*>(record.data()), static_cast<std::streamsize>(record.size()));
  return record;
}

}  // namespace

bool MatchFirmwareRecords(const FirmwareRecordReader& read, ChipId chipId) {
  const std::uint8_t family = ChipFamilyOf(chipId);
  const std::uint8_t revision = ChipRevisionOf(chipId);
  Header header;
  if (family == 11) {
    header.record = read(kFamily11RecordOffset);
    if (!HasMarker(header.record, kFamily11MarkerLength)) return false;
  } else {
    header.record = read(kPrimaryRecordOffset);
  }
  header.tag = TagOf(header.record);
  if (UsesTableCheck(family) && !PassesTableCheck(read, family, header)) return false;
  return Decide(header, family, revision);
}

bool MatchFirmwareFile(const std::string& fileName, ChipId chipId, MessageBox& messages) {
  // A directory opens as a stream on Linux but holds no firmware: it is a
  // file that cannot be opened as far as the user is concerned.
  std::error_code error;
  const bool directory = std::filesystem::is_directory(fileName, error);
  std::ifstream file(fileName, std::ios::binary);
  if (directory || !file.is_open()) {
    messages.Show(kOpenErrorText, kOpenErrorCaption, MessageIcon::None);
    return false;
  }
  return MatchFirmwareRecords([&file](std::uint32_t offset) { return ReadRecord(file, offset); }, chipId);
}

}  // namespace qfw
