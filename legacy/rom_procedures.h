#pragma once
// The developer panel's procedures for the controllers that keep their
// firmware in a 64 KiB parallel ROM (families 2 and 18): erase-only, backup
// to a file, and erase, program and verify of the default image. The bridge
// runs the JEDEC sequences of the chosen ROM type. The procedures report
// through status texts only, without letting window events run.

#include <cstdint>
#include <string>

#include "device/context.h"
#include "legacy/panel_choices.h"

namespace qfw {

inline constexpr std::uint32_t kRomSize = 65536;
// Busy status polls in one round, and the rounds before the wait gives up.
inline constexpr int kRomPollsPerRound = 500;
inline constexpr int kRomPollRounds = 100;

// Polls the ROM status back to back until it reports ready (true) or has
// answered busy 50,000 times (false). A failed exchange counts as busy.
bool WaitRomReady(Transport& transport, const std::string& path);

void RomEraseOnly(const Context& context, const std::string& path, int romType);
void RomBackup(const Context& context, const PanelChoices& choices, const std::string& path);
// Unless "A1 Chip" is checked, switches the controller to its internal ROM
// first; then erase-only, backup or the update of the default image by the
// panel's choices ("RD Version" is not consulted).
void RomUpdate(const Context& context, const PanelChoices& choices, const std::string& path);

}  // namespace qfw
