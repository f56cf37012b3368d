#pragma once
// What an operation on a bridge needs: the command transport and the host.

#include "device/host.h"
#include "device/transport.h"

namespace qfw {

struct Context {
  Transport& transport;
  Host& host;
};

}  // namespace qfw
