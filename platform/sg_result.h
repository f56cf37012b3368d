#pragma once
// Reads a returned SG_IO header into the transport's result.
//
// A request completed when neither the host adapter nor the driver reports
// an error; the driver's "sense present" flag does not count as one, and the
// SCSI status and sense bytes are never judged (they only go into the
// diagnostic text).

#include <scsi/sg.h>

#include <cstdint>
#include <span>

#include "device/pass_through.h"

namespace qfw {

// sense holds the buffer the header's sbp pointed to.
ScsiResult InterpretSgIoHeader(const sg_io_hdr_t& header, std::span<const std::uint8_t> sense);

}  // namespace qfw
