#include "platform/access_advice.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace qfw {
namespace {

constexpr std::size_t kFallbackGroupBufferSize = 16384;

std::size_t GroupBufferSize() {
  const long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
  return size > 0 ? static_cast<std::size_t>(size) : kFallbackGroupBufferSize;
}

std::optional<std::string> GroupName(gid_t gid) {
  std::vector<char> buffer(GroupBufferSize());
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  return std::string(found->gr_name);
}

}  // namespace

std::string AccessAdviceText(const std::string& path, const std::optional<std::string>& group) {
  std::string text = "No permission to open " + path + ". To get access, either:\n";
  text += "  - run the program as root (for example with sudo), or\n";
  if (group && *group != "root") {
    text += "  - add your user to the group '" + *group + "' that owns " + path + " (sudo usermod -aG " + *group +
            " $USER) and log in again, or\n";
  }
  text +=
      "  - install a udev rule that grants access to USB SCSI generic nodes, e.g. in "
      "/etc/udev/rules.d/70-qfwupdate.rules:\n"
      "      SUBSYSTEM==\"scsi_generic\", SUBSYSTEMS==\"usb\", TAG+=\"uaccess\"\n"
      "    then run 'sudo udevadm control --reload && sudo udevadm trigger' and re-plug the device.";
  return text;
}

std::optional<std::string> NodeGroupName(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return GroupName(status.st_gid);
}

std::string AccessDeniedAdvice(const std::string& path) { return AccessAdviceText(path, NodeGroupName(path)); }

}  // namespace qfw
