// Discovery over sysfs trees built like the kernel's: class links into the
// device hierarchy, SCSI device types and USB interfaces with driver links.

#include <gtest/gtest.h>


#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/sysfs_discovery.h"
#include "tests/support/temporary_folder.h"

namespace qfw {
namespace {

namespace fs = std::filesystem;

constexpr int kDisk = 0;
constexpr int kCdrom = 5;
constexpr int kTape = 1;

// One SCSI generic node of the tree.
struct Node {
  unsigned sg;
  int type;
  // Driver bound to the USB interface above the node; nothing for a SATA
  // disk, empty for an unbound interface.
  std::optional<std::string> usbDriver;
  unsigned host = 0;
  unsigned lun = 0;
};

// A sysfs tree under a fresh temporary directory, removed afterwards.
class SysfsTree {
 public:
  SysfsTree() { fs::create_directories(root_ / "class" / "scsi_generic"); }
  SysfsTree(const SysfsTree&) = delete;
  SysfsTree& operator=(const SysfsTree&) = delete;

  const fs::path& Root() const { return folder_.Path(); }

  void Add(const Node& node) {
    const fs::path host = node.usbDriver ? UsbInterface(node) / HostName(node) : SataHost(node);
    const std::string target = std::to_string(node.host) + ":0:0";
    const fs::path scsiDevice = host / ("target" + target) / (target + ":" + std::to_string(node.lun));
    WriteFile(scsiDevice / "type", std::to_string(node.type) + "\n");
    const std::string name = "sg" + std::to_string(node.sg);
    const fs::path sgDir = scsiDevice / "scsi_generic" / name;
    fs::create_directories(sgDir);
    WriteFile(sgDir / "dev", "21:" + std::to_string(node.sg) + "\n");
    Link(sgDir / "device", scsiDevice);
    Link(root_ / "class" / "scsi_generic" / name, sgDir);
  }

  // The path of the kernel's example: a USB stick behind dummy_hcd.
  fs::path DummyHcdInterface() const { return root_ / "devices/platform/dummy_hcd.0/usb1/1-1/1-1:1.0"; }

  static void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

 private:
  static std::string HostName(const Node& node) { return "host" + std::to_string(node.host); }

  fs::path UsbInterface(const Node& node) {
    const std::string port = "1-" + std::to_string(node.host + 1);
    const fs::path device = root_ / "devices/pci0000:00/0000:00:14.0/usb1" / port;
    const fs::path interface = device / (port + ":1.0");
    WriteFile(device / "idVendor", "abcd\n");
    WriteFile(interface / "bInterfaceNumber", "00\n");
    WriteFile(interface / "bInterfaceClass", "08\n");
    if (!node.usbDriver->empty()) {
      const fs::path driver = root_ / "bus/usb/drivers" / *node.usbDriver;
      fs::create_directories(driver);
      Link(interface / "driver", driver);
    }
    return interface;
  }

  fs::path SataHost(const Node& node) {
    const fs::path controller = root_ / "devices/pci0000:00/0000:00:17.0";
    const fs::path driver = root_ / "bus/pci/drivers/ahci";
    fs::create_directories(driver);
    fs::create_directories(controller);
    Link(controller / "driver", driver);
    return controller / ("ata" + std::to_string(node.host + 1)) / HostName(node);
  }

  // A relative symlink, as sysfs makes them; nodes may share a parent.
  static void Link(const fs::path& link, const fs::path& target) {
    if (fs::is_symlink(link)) {
      return;
    }
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(fs::relative(target, link.parent_path()), link);
  }

  qfw::test::TemporaryFolder folder_;
  const fs::path& root_ = folder_.Path();
};

struct DiscoveryCase {
  const char* name;
  std::vector<Node> nodes;
  std::vector<std::string> disks;
  std::vector<std::string> cdroms;
};

void PrintTo(const DiscoveryCase& c, std::ostream* out) { *out << c.name; }

class SysfsDiscoveryCases : public testing::TestWithParam<DiscoveryCase> {};

TEST_P(SysfsDiscoveryCases, ListsUsbMassStorageNodesByClass) {
  const DiscoveryCase& c = GetParam();
  SysfsTree tree;
  for (const Node& node : c.nodes) {
    tree.Add(node);
  }
  SysfsDiscovery discovery(tree.Root(), "/dev");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), c.disks);
  EXPECT_EQ(discovery.FindUsbCdromPaths(), c.cdroms);
}

const std::string kUsbStorage = "usb-storage";

INSTANTIATE_TEST_SUITE_P(
    Trees, SysfsDiscoveryCases,
    testing::Values(
        DiscoveryCase{"UsbStick", {{0, kDisk, kUsbStorage}}, {"/dev/sg0"}, {}},
        DiscoveryCase{"UsbCdrom", {{1, kCdrom, kUsbStorage}}, {}, {"/dev/sg1"}},
        DiscoveryCase{"SataDiskNotListed", {{0, kDisk, std::nullopt}}, {}, {}},
        DiscoveryCase{"BridgeWithDiskAndCdromLuns",
                      {{4, kDisk, kUsbStorage, 2, 0}, {5, kCdrom, kUsbStorage, 2, 1}},
                      {"/dev/sg4"},
                      {"/dev/sg5"}},
        DiscoveryCase{"UasDisk", {{2, kDisk, "uas"}}, {"/dev/sg2"}, {}},
        DiscoveryCase{"OtherUsbDriverNotListed", {{2, kDisk, "usbfs"}}, {}, {}},
        DiscoveryCase{"UnboundInterfaceNotListed", {{2, kDisk, ""}}, {}, {}},
        DiscoveryCase{"TapeNotListed", {{3, kTape, kUsbStorage}}, {}, {}},
        DiscoveryCase{"NumericOrder",
                      {{10, kDisk, kUsbStorage, 0}, {2, kDisk, kUsbStorage, 1}, {1, kDisk, std::nullopt, 2},
                       {11, kCdrom, kUsbStorage, 3}, {3, kCdrom, "uas", 4}},
                      {"/dev/sg2", "/dev/sg10"},
                      {"/dev/sg3", "/dev/sg11"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SysfsDiscovery, FollowsTheKernelsDummyHcdLayout) {
  SysfsTree tree;
  const fs::path interface = tree.DummyHcdInterface();
  const fs::path scsiDevice = interface / "host0/target0:0:0/0:0:0:0";
  const fs::path sg = scsiDevice / "scsi_generic/sg0";
  SysfsTree::WriteFile(interface / "bInterfaceNumber", "00\n");
  SysfsTree::WriteFile(scsiDevice / "type", "0\n");
  fs::create_directories(sg);
  fs::create_directories(tree.Root() / "bus/usb/drivers/usb-storage");
  fs::create_directory_symlink("../../../../../../bus/usb/drivers/usb-storage", interface / "driver");
  fs::create_directory_symlink("../../../0:0:0:0", sg / "device");
  fs::create_directory_symlink("../../devices/platform/dummy_hcd.0/usb1/1-1/1-1:1.0/host0/target0:0:0/0:0:0:0/"
                               "scsi_generic/sg0",
                               tree.Root() / "class/scsi_generic/sg0");

  SysfsDiscovery discovery(tree.Root(), "/dev");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), std::vector<std::string>{"/dev/sg0"});
}

TEST(SysfsDiscovery, PathsUseTheConfiguredDevRoot) {
  SysfsTree tree;
  tree.Add({7, kDisk, kUsbStorage});
  SysfsDiscovery discovery(tree.Root(), "/tmp/fake-dev");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), std::vector<std::string>{"/tmp/fake-dev/sg7"});
}

TEST(SysfsDiscovery, MissingSysfsRootGivesEmptyLists) {
  SysfsDiscovery discovery("/nonexistent/qfw-sysfs", "/dev");
  EXPECT_TRUE(discovery.FindUsbDiskPaths().empty());
  EXPECT_TRUE(discovery.FindUsbCdromPaths().empty());
}

TEST(SysfsDiscovery, SkipsForeignEntriesAndBrokenNodes) {
  SysfsTree tree;
  tree.Add({0, kDisk, kUsbStorage});
  tree.Add({1, kDisk, kUsbStorage, 1});
  tree.Add({2, kDisk, kUsbStorage, 2});
  const fs::path classDir = tree.Root() / "class/scsi_generic";
  // Names that are not sg nodes, a dangling class link, an unreadable type.
  fs::create_directories(classDir / "sgx");
  fs::create_directories(classDir / "sg");
  fs::create_directory_symlink("../../devices/gone/sg9", classDir / "sg9");
  fs::remove(fs::canonical(classDir / "sg1" / "device") / "type");
  SysfsTree::WriteFile(fs::canonical(classDir / "sg2" / "device") / "type", "disk\n");

  SysfsDiscovery discovery(tree.Root(), "/dev");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), std::vector<std::string>{"/dev/sg0"});
}

}  // namespace
}  // namespace qfw
