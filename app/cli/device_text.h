#pragma once
// What list and info print about a device, for people and as JSON.

#include <string>
#include <vector>

#include "app/device_details.h"
#include "app/device_report.h"

namespace qfw::cli {

// "needs-update", "already-updated", "not-supported" or "cannot-open".
std::string StateKey(const DeviceReport& report);

// A JSON array with one object per device.
std::string ListJson(const std::vector<DeviceReport>& reports);

// The details refresh's fields and what the update would do.
std::string InfoText(const DeviceDetails& details, const DeviceReport& report);
std::string InfoJson(const DeviceDetails& details, const DeviceReport& report);

}  // namespace qfw::cli
