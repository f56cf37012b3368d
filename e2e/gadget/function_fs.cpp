#include "e2e/gadget/function_fs.h"

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "e2e/gadget/usb_descriptors.h"

namespace qfw::e2e {
namespace {

constexpr std::chrono::milliseconds kAfterEp0Failure{100};

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

UniqueFd OpenOrThrow(const std::filesystem::path& path) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd.Valid()) {
    throw SystemError("open " + path.string());
  }
  return fd;
}

void WriteAllOrThrow(int fd, std::span<const std::uint8_t> bytes, const std::string& what) {
  const ssize_t written = ::write(fd, bytes.data(), bytes.size());
  if (written != static_cast<ssize_t>(bytes.size())) {
    throw SystemError("write " + what);
  }
}

// read() and write() that go on after a signal.
ssize_t Retrying(auto call) {
  ssize_t result = 0;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

const char* EventName(std::uint8_t type) {
  switch (type) {
    case FUNCTIONFS_BIND:
      return "bind";
    case FUNCTIONFS_UNBIND:
      return "unbind";
    case FUNCTIONFS_ENABLE:
      return "enable";
    case FUNCTIONFS_DISABLE:
      return "disable";
    case FUNCTIONFS_SUSPEND:
      return "suspend";
    case FUNCTIONFS_RESUME:
      return "resume";
    default:
      return "event";
  }
}

// Logs an ep0 answer that did not go out.
void LogFailedAnswer(ssize_t result, const char* answer, std::ostream& log) {
  if (result >= 0) return;
  const int error = errno;
  log << "gadget: ep0 " << answer << " answer failed: " << std::strerror(error) << std::endl;
}

}  // namespace

FunctionFs::FunctionFs(const std::filesystem::path& mountPoint, std::string_view interfaceName)
    : ep0_(OpenOrThrow(mountPoint / "ep0")) {
  WriteAllOrThrow(ep0_.Get(), MassStorageDescriptors(), "descriptors to ep0");
  WriteAllOrThrow(ep0_.Get(), InterfaceStrings(interfaceName), "strings to ep0");
  bulkIn_ = OpenOrThrow(mountPoint / "ep1");
  bulkOut_ = OpenOrThrow(mountPoint / "ep2");
}

void FunctionFs::ServeControl(std::ostream& log) {
  std::array<usb_functionfs_event, 4> events{};
  int lastError = 0;
  while (true) {
    const ssize_t got = Retrying([&] { return ::read(ep0_.Get(), events.data(), sizeof(events)); });
    if (got < 0) {
      // Goes on: the function may come back (bind again), and the host
      // needs its class requests answered then.
      if (errno != lastError) log << "gadget: ep0 read failed: " << std::strerror(errno) << std::endl;
      lastError = errno;
      std::this_thread::sleep_for(kAfterEp0Failure);
      continue;
    }
    lastError = 0;
    const auto count = static_cast<std::size_t>(got) / sizeof(usb_functionfs_event);
    for (std::size_t i = 0; i < count; ++i) {
      if (events[i].type == FUNCTIONFS_SETUP) {
        const usb_ctrlrequest& setup = events[i].u.setup;
        AnswerSetup({.requestType = setup.bRequestType,
                     .request = setup.bRequest,
                     .value = setup.wValue,
                     .index = setup.wIndex,
                     .length = setup.wLength},
                    log);
      } else {
        log << "gadget: function " << EventName(events[i].type) << std::endl;
      }
    }
  }
}

// FunctionFS acknowledges a request by I/O on ep0 in the request's own
// direction and stalls it on I/O in the other direction, which then fails
// with EL2HLT when the stall went out.
void FunctionFs::AnswerSetup(const SetupPacket& setup, std::ostream& log) {
  const bool in = (setup.requestType & USB_DIR_IN) != 0;
  std::array<std::uint8_t, 1> oneLun{0};
  switch (ClassifySetup(setup)) {
    case ControlAnswer::MaxLun:
      LogFailedAnswer(Retrying([&] { return ::write(ep0_.Get(), oneLun.data(), oneLun.size()); }), "max LUN", log);
      return;
    case ControlAnswer::BulkOnlyReset:
      log << "gadget: Bulk-Only reset" << std::endl;
      LogFailedAnswer(Retrying([&] { return ::read(ep0_.Get(), oneLun.data(), 0); }), "Bulk-Only reset", log);
      return;
    case ControlAnswer::Stall: {
      const ssize_t result = in ? Retrying([&] { return ::read(ep0_.Get(), oneLun.data(), 0); })
                                : Retrying([&] { return ::write(ep0_.Get(), oneLun.data(), 0); });
      if (result < 0 && errno == EL2HLT) return;
      LogFailedAnswer(result, "stall", log);
      return;
    }
  }
}

std::optional<std::size_t> FunctionFs::Receive(std::span<std::uint8_t> buffer) {
  const ssize_t got = Retrying([&] { return ::read(bulkOut_.Get(), buffer.data(), buffer.size()); });
  if (got < 0) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(got);
}

bool FunctionFs::Send(std::span<const std::uint8_t> data) {
  static constexpr std::uint8_t kNothing = 0;
  const std::uint8_t* bytes = data.empty() ? &kNothing : data.data();
  const ssize_t sent = Retrying([&] { return ::write(bulkIn_.Get(), bytes, data.size()); });
  return sent == static_cast<ssize_t>(data.size());
}

std::size_t FunctionFs::InPacketSize() {
  usb_endpoint_descriptor descriptor{};
  if (::ioctl(bulkIn_.Get(), FUNCTIONFS_ENDPOINT_DESC, &descriptor) < 0) {
    return 0;
  }
  return descriptor.wMaxPacketSize & 0x7FF;
}

}  // namespace qfw::e2e
