#pragma once
// The block devices that hold the data of the disks behind a bridge's device
// path, found in sysfs: the disk (/dev/sgN → class/scsi_generic/sgN/device/
// block/sdX) and those of the other logical units of the same SCSI host (a
// bridge that presents a CD-ROM and a disk), their partitions, and the
// devices stacked on them (holders: device-mapper, md), with the names
// device-mapper gives its devices ("mapper/<name>"). Names are relative to
// /dev.

#include <filesystem>
#include <string>
#include <vector>

namespace qfw::cli {

// Nothing when the path leads to no block device (a CD-ROM without a disc
// still has one; an unknown node has none). A path that names a block
// device itself (/dev/sdX) is followed from class/block.
std::vector<std::string> BridgeBlockDevices(const std::string& devicePath, const std::filesystem::path& sysfsRoot);

// Whether sysfs knows the node the path names (links such as
// /dev/disk/by-path/... followed) as a SCSI generic or a block device; for
// any other path nothing can be said about what is mounted.
bool IsKnownNode(const std::string& devicePath, const std::filesystem::path& sysfsRoot);

}  // namespace qfw::cli
