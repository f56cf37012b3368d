#pragma once
// The update paths the user reaches from the main window: scan, YES, the
// outcome in the window. Family 13; family 10 with the block commands;
// family 10 with the older commands.

#include <memory>

#include "tests/reliability/swept_path.h"

namespace qfw::test {

std::unique_ptr<SweptPath> Family13Path();
std::unique_ptr<SweptPath> Family10BlockPath();
std::unique_ptr<SweptPath> Family10LegacyPath();

// What the window shows in its main labels, for reports.
std::string DescribeDisplay(const RecordingWindowView& view);

}  // namespace qfw::test
