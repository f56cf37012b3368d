#pragma once
// Hot-plug events of USB devices and SCSI generic nodes from udev's netlink
// monitor, as device-change event codes (udev_event_code.h). The descriptor
// is non-blocking: wait for it to become readable (poll, an event loop),
// then read codes until there are none.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct udev;
struct udev_monitor;

namespace qfw {

class UdevMonitor {
 public:
  // Opens the monitor for subsystem "usb" devtype "usb_device" and
  // subsystem "scsi_generic". Returns nullptr and sets error when the
  // netlink socket cannot be had (no udev, or a container without it).
  static std::unique_ptr<UdevMonitor> Open(std::string& error);

  ~UdevMonitor();
  UdevMonitor(const UdevMonitor&) = delete;
  UdevMonitor& operator=(const UdevMonitor&) = delete;

  // The descriptor that becomes readable when events are pending.
  int Fd() const;
  // The code of the next pending event; nothing when none is pending.
  std::optional<std::uint32_t> ReadEventCode();

 private:
  struct UdevUnref {
    void operator()(udev* context) const;
  };
  struct MonitorUnref {
    void operator()(udev_monitor* monitor) const;
  };

  UdevMonitor(std::unique_ptr<udev, UdevUnref> context, std::unique_ptr<udev_monitor, MonitorUnref> monitor);

  std::unique_ptr<udev, UdevUnref> context_;
  std::unique_ptr<udev_monitor, MonitorUnref> monitor_;
};

}  // namespace qfw
