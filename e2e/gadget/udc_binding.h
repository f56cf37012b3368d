#pragma once
// Binds the configfs gadget to a USB device controller and unbinds it, by
// writing the controller's name (or nothing) to the gadget's UDC file. To the
// host that is plugging the device in and pulling it out. The gadget is
// unbound when the object goes.

#include <filesystem>
#include <mutex>
#include <ostream>
#include <string>

namespace qfw::e2e {

class UdcBinding {
 public:
  UdcBinding(std::filesystem::path udcFile, std::string controller, std::ostream& log)
      : udcFile_(std::move(udcFile)), controller_(std::move(controller)), log_(log) {}
  ~UdcBinding() { Unbind(); }
  UdcBinding(const UdcBinding&) = delete;
  UdcBinding& operator=(const UdcBinding&) = delete;

  bool Bind();
  bool Unbind();

 private:
  bool Write(const std::string& text);

  std::filesystem::path udcFile_;
  std::string controller_;
  std::ostream& log_;
  std::mutex mutex_;
  bool bound_ = false;
};

}  // namespace qfw::e2e
