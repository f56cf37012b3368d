#pragma once
// The SG_IO request header for one pass-through request.

#include <scsi/sg.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/pass_through.h"

namespace qfw {

// Fills an sg_io_hdr_t for request: the CDB and the data phase point into
// the request's own spans (no copy), sense bytes go to sense, and the
// time-out is given in milliseconds. The header must not outlive request or
// sense.
sg_io_hdr_t BuildSgIoHeader(const ScsiRequest& request, std::span<std::uint8_t> sense);

// Why request cannot be put into a header (a CDB of 0 or more than 16 bytes,
// or a data phase too long for the header's length field), or nothing.
std::optional<std::string> SgRequestProblem(const ScsiRequest& request);

}  // namespace qfw
