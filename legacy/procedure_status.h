#pragma once
// How the legacy procedures write the window's status field.

#include <string_view>

#include "device/context.h"

namespace qfw {

// Replaces the status text and lets pending window events run, so that the
// text shows at once.
void ShowStatus(const Context& context, std::string_view text);

// Appends to the status text and lets pending window events run.
void AppendStatus(const Context& context, std::string_view text);

// Replaces the status text without letting window events run.
void SetStatus(const Context& context, std::string_view text);

}  // namespace qfw
