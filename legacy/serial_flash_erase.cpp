#include "legacy/serial_flash_erase.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <span>
#include <string_view>

#include "device/commands.h"
#include "device/flash_identification.h"
#include "legacy/procedure_status.h"

namespace qfw {
namespace {

constexpr std::chrono::milliseconds kSettlePause{500};
constexpr int kEraseProgressStep = 10;
constexpr std::string_view kEraseFailText = "Erase command fail!!";
constexpr std::string_view kNotReadyText = "Not ready after Erase flash success";
constexpr std::string_view kUnsupportedAmicText = "Not Support this AMIC Flash Type!!";
constexpr std::string_view kInitialNotReadyText = "0.1 Device initial not ready!!";
constexpr std::string_view kPagedEraseText = "Erase...";
constexpr std::string_view kPageDoneText = ".";

// One sector erase of a plan's lower part.
struct SectorErase {
  std::uint32_t address;
  bool required;  // a refusal ends the erase; otherwise it goes unreported
  bool progress;  // advances the progress after it
};

// Bottom-boot parts: the four boot sectors of 4, 4, 8 and 16 KiB.
constexpr std::array<SectorErase, 4> kBootSectors{{
    {0x0000, false, false}, {0x1000, false, false}, {0x3000, false, false}, {0x7000, false, false}}};
// Uniform parts: one 32 KiB unit.
constexpr std::array<SectorErase, 1> kUniformLowerHalf{{{0x0000, true, true}}};

constexpr std::array<int, 3> kBottomBootModels{1, 3, 5};
constexpr std::array<int, 2> kUniformModels{-1, 4};  // -1: not an AMIC part

struct ErasePlan {
  std::span<const int> models;
  std::span<const SectorErase> lower;
  std::uint32_t upperAddress;  // erased when the image reaches above 32 KiB
};

constexpr std::array<ErasePlan, 2> kErasePlans{{
    {kBottomBootModels, kBootSectors, 0xF000},
    {kUniformModels, kUniformLowerHalf, 0x8000},
}};

const ErasePlan* PlanOfModel(int amicModel) {
  const auto it = std::ranges::find_if(kErasePlans, [&](const ErasePlan& plan) {
    return std::ranges::find(plan.models, amicModel) != plan.models.end();
  });
  return it == kErasePlans.end() ? nullptr : &*it;
}

void SettleAfterErase(const Context& context, const std::string& path) {
  context.host.clock.Sleep(kSettlePause);
  if (!WaitFlashReady(context, path)) ShowStatus(context, kNotReadyText);
}

bool ChipErase(const Context& context, const std::string& path) {
  if (!CmdFlashChipErase(context.transport, path)) {
    ShowStatus(context, kEraseFailText);
    return false;
  }
  SettleAfterErase(context, path);
  return true;
}

bool RunPlan(const Context& context, const std::string& path, const ErasePlan& plan, std::uint32_t size) {
  for (const SectorErase& erase : plan.lower) {
    if (!CmdFlashSectorErase(context.transport, path, erase.address)) {
      if (!erase.required) continue;
      ShowStatus(context, kEraseFailText);
      return false;
    }
    if (erase.progress) context.host.progress.StepProgress(kEraseProgressStep);
    SettleAfterErase(context, path);
  }
  if (size <= kLowerHalf) return true;
  if (!CmdFlashSectorErase(context.transport, path, plan.upperAddress)) {
    ShowStatus(context, kEraseFailText);
    return false;
  }
  context.host.clock.Sleep(kSettlePause);
  BusyPoll(context, path);
  return true;
}

}  // namespace

// The same bounded poll as the ready wait, with its answer unused.
void BusyPoll(const Context& context, const std::string& path) { (void)WaitFlashReady(context, path); }

bool EraseForImage(const Context& context, const std::string& path, std::uint32_t size, int amicModel) {
  if (size > kSectorPlanLimit) return ChipErase(context, path);
  const ErasePlan* plan = PlanOfModel(amicModel);
  if (!plan) {
    ShowStatus(context, kUnsupportedAmicText);
    return false;
  }
  return RunPlan(context, path, *plan, size);
}

bool LegacyPagedErase(const Context& context, const PanelChoices& choices, const std::string& path,
                      std::uint32_t byteCount) {
  if (!WaitFlashReady(context, path)) context.host.debug.Write(kInitialNotReadyText);
  const std::int32_t page = choices.settings.transferPageSize;
  if (page <= 0) return false;
  const std::uint32_t pageSize = static_cast<std::uint32_t>(page);
  const std::uint32_t pages = byteCount / pageSize + (byteCount % pageSize != 0 ? 1 : 0);
  ShowStatus(context, kPagedEraseText);
  for (std::uint32_t p = 0; p < pages; ++p) {
    BusyPoll(context, path);
    if (!CmdFlashSectorErase(context.transport, path, p * pageSize)) return false;
    if (!WaitFlashReady(context, path)) context.host.debug.Write(kNotReadyText);
    AppendStatus(context, kPageDoneText);
  }
  return pages > 0;
}

}  // namespace qfw
