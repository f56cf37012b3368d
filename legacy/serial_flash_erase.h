#pragma once
// The erases of the older serial-flash procedures: the plan that clears the
// space of an image, chosen by its size and the flash's AMIC model, and the
// page-by-page erase of the erase-only procedure.

#include <cstdint>
#include <string>

#include "device/context.h"
#include "legacy/panel_choices.h"

namespace qfw {

// An image up to this size is erased sector by sector; a larger one with a
// chip erase.
inline constexpr std::uint32_t kSectorPlanLimit = 65536;
// Above this size the sector plans erase the upper half too.
inline constexpr std::uint32_t kLowerHalf = 32768;

// The bounded busy poll after an erase: status reads 10 ms apart until the
// flash is not busy, at most 502 re-reads. Its outcome is not looked at.
void BusyPoll(const Context& context, const std::string& path);

// Clears the first size bytes for programming: a chip erase above 64 KiB,
// otherwise the sector erases of the AMIC model's plan. False, with the
// status text said, when an erase that matters was refused or the model has
// no plan (0 among them: never detected).
bool EraseForImage(const Context& context, const std::string& path, std::uint32_t size, int amicModel);

// Erases byteCount bytes from address 0 in steps of TransferPageSize, one
// sector erase per page (a page smaller than the flash's erase unit erases
// that unit more than once). Shows "Erase..." and one "." per page. True
// when the last erase sent was accepted; false when one was refused or
// there was nothing to erase.
bool LegacyPagedErase(const Context& context, const PanelChoices& choices, const std::string& path,
                      std::uint32_t byteCount);

}  // namespace qfw
