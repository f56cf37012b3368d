// The candidate list: order, capacity and over-long paths.

#include <gtest/gtest.h>

#include "device/candidate_paths.h"
#include "tests/support/fake_host.h"

namespace qfw {
namespace {

class ListDiscovery final : public DeviceDiscovery {
 public:
  ListDiscovery(std::vector<std::string> disks, std::vector<std::string> cdroms)
      : disks_(std::move(disks)), cdroms_(std::move(cdroms)) {}
  std::vector<std::string> FindUsbDiskPaths() override { return disks_; }
  std::vector<std::string> FindUsbCdromPaths() override { return cdroms_; }

 private:
  std::vector<std::string> disks_, cdroms_;
};

std::vector<std::string> Numbered(const std::string& prefix, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(prefix + std::to_string(i));
  return out;
}

TEST(CandidatePaths, DisksFirstThenCdroms) {
  ListDiscovery discovery({"/dev/sg0", "/dev/sg2", "/dev/sg5"}, {"/dev/sg1", "/dev/sg4"});
  test::RecordingDebugOutput debug;
  const CandidatePaths result = FindCandidatePaths(discovery, debug);
  EXPECT_EQ(result.paths, (std::vector<std::string>{"/dev/sg0", "/dev/sg2", "/dev/sg5", "/dev/sg1", "/dev/sg4"}));
  EXPECT_EQ(result.diskCount, 3u);
  EXPECT_TRUE(debug.lines.empty());
}

TEST(CandidatePaths, NothingPresent) {
  ListDiscovery discovery({}, {});
  test::RecordingDebugOutput debug;
  const CandidatePaths result = FindCandidatePaths(discovery, debug);
  EXPECT_TRUE(result.paths.empty());
  EXPECT_EQ(result.diskCount, 0u);
}

TEST(CandidatePaths, StopsAtSixteenAndSaysSo) {
  ListDiscovery discovery(Numbered("/dev/sgd", 12), Numbered("/dev/sgc", 7));
  test::RecordingDebugOutput debug;
  const CandidatePaths result = FindCandidatePaths(discovery, debug);
  ASSERT_EQ(result.paths.size(), kMaxCandidatePaths);
  EXPECT_EQ(result.diskCount, 12u);
  EXPECT_EQ(result.paths[12], "/dev/sgc0");
  EXPECT_EQ(result.paths[15], "/dev/sgc3");
  EXPECT_EQ(debug.lines.size(), 3u);
}

TEST(CandidatePaths, OverlongPathIsSkippedNotTruncated) {
  const std::string limit(kMaxDevicePathLength, 'a');
  const std::string tooLong(kMaxDevicePathLength + 45, 'b');
  ListDiscovery discovery({tooLong, limit, "/dev/sg1"}, {});
  test::RecordingDebugOutput debug;
  const CandidatePaths result = FindCandidatePaths(discovery, debug);
  EXPECT_EQ(result.paths, (std::vector<std::string>{limit, "/dev/sg1"}));
  EXPECT_EQ(result.diskCount, 2u);
  EXPECT_EQ(debug.lines.size(), 1u);
}

}  // namespace
}  // namespace qfw
