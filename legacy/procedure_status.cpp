#include "legacy/procedure_status.h"

namespace qfw {

void ShowStatus(const Context& context, std::string_view text) {
  SetStatus(context, text);
  context.host.pump.ProcessPendingEvents();
}

void AppendStatus(const Context& context, std::string_view text) {
  context.host.progress.AppendStatusText(text);
  context.host.pump.ProcessPendingEvents();
}

void SetStatus(const Context& context, std::string_view text) { context.host.progress.SetStatusText(text); }

}  // namespace qfw
