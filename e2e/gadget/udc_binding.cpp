#include "e2e/gadget/udc_binding.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "e2e/gadget/unique_fd.h"

namespace qfw::e2e {

bool UdcBinding::Bind() {
  const std::lock_guard lock(mutex_);
  if (bound_) return true;
  bound_ = Write(controller_ + "\n");
  if (bound_) log_ << "gadget: bound to " << controller_ << std::endl;
  return bound_;
}

bool UdcBinding::Unbind() {
  const std::lock_guard lock(mutex_);
  if (!bound_) return true;
  bound_ = !Write("\n");
  if (!bound_) log_ << "gadget: unbound" << std::endl;
  return !bound_;
}

bool UdcBinding::Write(const std::string& text) {
  const UniqueFd fd(::open(udcFile_.c_str(), O_WRONLY | O_CLOEXEC));
  if (!fd.Valid() || ::write(fd.Get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    log_ << "gadget: cannot write " << udcFile_.string() << ": " << std::strerror(errno) << std::endl;
    return false;
  }
  return true;
}

}  // namespace qfw::e2e
