// The mount check before a write, on a sysfs tree and mount table made by
// the test: /dev/sg1 is disk sdb with partitions sdb1 and sdb2.

#include "app/cli/mount_guard.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/cli/bridge_block_devices.h"
#include "tests/app/cli/cli_images.h"

namespace qfw::cli {
namespace {

class MountGuardTest : public testing::Test {
 protected:
  MountCheck Check(const std::string& mounts, const std::string& path = "/dev/sg1") {
    test::WriteMountFixture(folder_.Path(), mounts);
    return CheckBridgeMounts(path, roots_);
  }
  // sdb2 carries a device-mapper device named vault.
  void AddMapperHolder() {
    const auto sys = folder_ / "sys";
    std::filesystem::create_directories(sys / "class/scsi_generic/sg1/device/block/sdb/sdb2/holders/dm-0");
    std::filesystem::create_directories(sys / "class/block/dm-0/dm");
    std::ofstream(sys / "class/block/dm-0/dm/name") << "vault\n";
  }

  test::TemporaryFolder folder_;
  MountRoots roots_{folder_ / "sys", folder_ / "mounts"};
};

TEST_F(MountGuardTest, FindsTheBridgesDiskPartitionsAndStackedDevices) {
  test::WriteMountFixture(folder_.Path(), "");
  AddMapperHolder();
  EXPECT_EQ(BridgeBlockDevices("/dev/sg1", roots_.sysfs),
            (std::vector<std::string>{"sdb", "sdb1", "sdb2", "dm-0", "mapper/vault"}));
  EXPECT_TRUE(BridgeBlockDevices("/dev/sg7", roots_.sysfs).empty());
}

TEST_F(MountGuardTest, TheCdromOfABridgeLeadsToItsDiskToo) {
  // As sysfs has it: sg3 links to the CD-ROM unit 6:0:0:1 of host6, whose
  // unit 6:0:0:0 is disk sdb.
  namespace fs = std::filesystem;
  const fs::path host = folder_ / "sys/devices/usb1/1-1/1-1:1.0/host6";
  fs::create_directories(host / "target6:0:0/6:0:0:0/block/sdb/sdb1");
  std::ofstream(host / "target6:0:0/6:0:0:0/block/sdb/sdb1/partition") << "1\n";
  fs::create_directories(host / "target6:0:0/6:0:0:1/block/sr0");
  fs::create_directories(folder_ / "sys/class/scsi_generic/sg3");
  fs::create_directory_symlink("../../../devices/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:1",
                               folder_ / "sys/class/scsi_generic/sg3/device");
  EXPECT_EQ(BridgeBlockDevices("/dev/sg3", roots_.sysfs), (std::vector<std::string>{"sdb", "sdb1", "sr0"}));
  std::ofstream(roots_.mounts) << "/dev/sdb1 /media/usb ext4 rw 0 0\n";
  EXPECT_EQ(CheckBridgeMounts("/dev/sg3", roots_).mounted.size(), 1u);
}

TEST_F(MountGuardTest, AMountedPartitionOfTheBridgeIsFound) {
  const MountCheck check = Check(
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sdb1 /media/my\\040disk vfat rw,nosuid 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n");
  ASSERT_EQ(check.mounted.size(), 1u);
  EXPECT_EQ(check.mounted[0].source, "/dev/sdb1");
  EXPECT_EQ(check.mounted[0].target, "/media/my disk");
  const std::string text = MountRefusalText("/dev/sg1", check);
  EXPECT_NE(text.find("/dev/sdb1 on /media/my disk"), std::string::npos);
  EXPECT_NE(text.find("--force"), std::string::npos);
}

TEST_F(MountGuardTest, TheWholeDiskAndMapperDevicesCountToo) {
  AddMapperHolder();
  const MountCheck check = Check("/dev/sdb /mnt/raw ext4 rw 0 0\n/dev/mapper/vault /srv ext4 rw 0 0\n");
  ASSERT_EQ(check.mounted.size(), 2u);
  EXPECT_EQ(check.mounted[1].target, "/srv");
}

TEST_F(MountGuardTest, OtherDisksAndLookalikeNamesAreClear) {
  EXPECT_TRUE(Check("/dev/sda1 / ext4 rw 0 0\n/dev/sdb10 /x ext4 rw 0 0\nsdb1 /y tmpfs rw 0 0\n").Clear());
  // A node that sysfs knows without a disk behind it has nothing to unmount.
  std::filesystem::create_directories(folder_ / "sys/class/scsi_generic/sg7/device");
  EXPECT_TRUE(Check("/dev/sdb1 /media ext4 rw 0 0\n", "/dev/sg7").Clear());
}

TEST_F(MountGuardTest, APathSysfsDoesNotKnowIsNotClear) {
  // Nothing tells which disk it leads to, so nothing proves it unmounted.
  const MountCheck check = Check("/dev/sdb1 /media ext4 rw 0 0\n", "/dev/disk/by-path/no-such-link");
  EXPECT_FALSE(check.Clear());
  EXPECT_NE(MountRefusalText("/dev/disk/by-path/no-such-link", check).find("--force"), std::string::npos);
}

TEST_F(MountGuardTest, AnUnreadableMountTableIsNotClear) {
  test::WriteMountFixture(folder_.Path(), "");
  roots_.mounts = folder_ / "no-such-table";
  const MountCheck check = CheckBridgeMounts("/dev/sg1", roots_);
  EXPECT_FALSE(check.Clear());
  EXPECT_NE(MountRefusalText("/dev/sg1", check).find("--force"), std::string::npos);
}

TEST(MountTableTest, SkipsLinesWithoutTheThreeFirstFields) {
  const auto entries = ParseMountTable("\n/dev/sdc1 /a\n/dev/sdc2 /b\\011c xfs rw 0 0\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].target, "/b\tc");
}

}  // namespace
}  // namespace qfw::cli
