#pragma once
// Turns an operating-system error number into the transport's error kind and
// a line a person can read. Nothing above the platform layer sees errno.

#include <string>
#include <string_view>

#include "device/pass_through.h"

namespace qfw {

TransportError TransportErrorFromErrno(int error);

// "<what>: Permission denied (errno 13)"
std::string ErrnoDetail(std::string_view what, int error);

}  // namespace qfw
