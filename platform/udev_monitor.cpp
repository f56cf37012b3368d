#include "platform/udev_monitor.h"

#include <fcntl.h>
#include <libudev.h>

#include <cerrno>
#include <cstring>

#include "platform/udev_event_code.h"

namespace qfw {
namespace {

struct DeviceUnref {
  void operator()(udev_device* device) const { udev_device_unref(device); }
};

std::string ErrnoText(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

bool MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

void UdevMonitor::UdevUnref::operator()(udev* context) const { udev_unref(context); }
void UdevMonitor::MonitorUnref::operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }

UdevMonitor::UdevMonitor(std::unique_ptr<udev, UdevUnref> context, std::unique_ptr<udev_monitor, MonitorUnref> monitor)
    : context_(std::move(context)), monitor_(std::move(monitor)) {}

UdevMonitor::~UdevMonitor() = default;

std::unique_ptr<UdevMonitor> UdevMonitor::Open(std::string& error) {
  errno = 0;
  std::unique_ptr<udev, UdevUnref> context(udev_new());
  if (!context) {
    error = ErrnoText("udev_new", errno);
    return nullptr;
  }
  std::unique_ptr<udev_monitor, MonitorUnref> monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
  if (!monitor) {
    error = ErrnoText("cannot open the udev netlink monitor", errno);
    return nullptr;
  }
  if (const int result = udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "usb", "usb_device");
      result < 0) {
    error = ErrnoText("udev filter usb/usb_device", -result);
    return nullptr;
  }
  if (const int result = udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "scsi_generic", nullptr);
      result < 0) {
    error = ErrnoText("udev filter scsi_generic", -result);
    return nullptr;
  }
  if (const int result = udev_monitor_enable_receiving(monitor.get()); result < 0) {
    error = ErrnoText("cannot receive udev events", -result);
    return nullptr;
  }
  if (!MakeNonBlocking(udev_monitor_get_fd(monitor.get()))) {
    error = ErrnoText("cannot make the udev monitor non-blocking", errno);
    return nullptr;
  }
  return std::unique_ptr<UdevMonitor>(new UdevMonitor(std::move(context), std::move(monitor)));
}

int UdevMonitor::Fd() const { return udev_monitor_get_fd(monitor_.get()); }

std::optional<std::uint32_t> UdevMonitor::ReadEventCode() {
  const std::unique_ptr<udev_device, DeviceUnref> device(udev_monitor_receive_device(monitor_.get()));
  if (!device) {
    return std::nullopt;
  }
  const char* action = udev_device_get_action(device.get());
  return DeviceEventCodeForAction(action ? action : "");
}

}  // namespace qfw
