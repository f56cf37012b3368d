#include "device/flash_identification.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "device/commands.h"

namespace qfw {
namespace {

constexpr std::uint8_t kBusyBit = 0x01;
constexpr std::size_t kIdLength = 4;

// A byte of an id answer that must hold a value.
struct ByteIs {
  std::size_t index;
  std::uint8_t value;
};

// An answer matches when every listed byte holds its value.
struct IdRule {
  std::vector<ByteIs> bytes;
  FlashKind kind;
  FlashOpcodeSet opcodes;
};

enum class Exchange { SpiQuery, ReadId3 };

struct Probe {
  Exchange exchange;
  std::uint8_t opcode;
  bool flag;  // for ReadId3
  std::vector<IdRule> rules;
};

// The probes in the order they run; each runs only while nothing matched.
const std::vector<Probe>& Probes() {
  static const std::vector<Probe> probes = {
      {Exchange::SpiQuery, 0x9F, false,
       {{{{0, 0x7F}, {1, 0x37}}, 7, kCommonOpcodes},
        {{{0, 0x37}, {1, 0x30}}, 7, kCommonOpcodes},
        {{{0, 0x1F}}, 4, kCommonOpcodes},
        {{{0, 0xC2}}, 5, kCommonOpcodes},
        {{{0, 0xEF}}, 6, kCommonOpcodes},
        {{{0, 0x20}}, 3, kCommonOpcodes},
        {{{0, 0x1C}}, 8, kCommonOpcodes},
        {{{0, 0x8C}}, 9, kCommonOpcodes},
        {{{0, 0x7F}, {1, 0x9D}}, 1, kCommonOpcodes},
        {{{0, 0x62}}, 10, kSanyoOpcodes}}},
      {Exchange::SpiQuery, 0x90, false, {{{{3, 0xBF}}, 2, kSstOpcodes}}},
      {Exchange::SpiQuery, 0xAB, false,
       {{{{3, 0x9D}}, 1, kCommonOpcodes}, {{{3, 0x05}}, 3, kCommonOpcodes}}},
      {Exchange::SpiQuery, 0x15, false, {{{{0, 0x1F}}, 4, kAtmelOpcodes}}},
      {Exchange::ReadId3, 0x15, false, {{{{0, 0x1F}}, 4, kAtmelOpcodes}}},
      {Exchange::ReadId3, 0xAB, true, {{{{0, 0x05}}, 3, kCommonOpcodes}}},
  };
  return probes;
}

std::optional<FlashDetection> Match(const std::vector<IdRule>& rules, std::span<const std::uint8_t> answer) {
  for (const IdRule& rule : rules) {
    const bool all = std::ranges::all_of(rule.bytes, [&](const ByteIs& b) { return answer[b.index] == b.value; });
    if (all) return FlashDetection{rule.opcodes, rule.kind};
  }
  return std::nullopt;
}

bool Ask(Transport& t, const std::string& path, const Probe& probe, std::span<std::uint8_t, kIdLength> answer) {
  if (probe.exchange == Exchange::SpiQuery) {
    return SpiQuery(t, path, probe.opcode, answer);
  }
  return CmdSpiReadId3(t, path, answer.first<3>(), probe.opcode, probe.flag);
}

struct AmicModel {
  std::uint8_t code;
  int model;
};
constexpr std::array<AmicModel, 4> kAmicModels{{{0x12, 1}, {0x11, 3}, {0x20, 4}, {0x10, 5}}};

}  // namespace

bool WaitFlashReady(const Context& context, const std::string& path) {
  const auto busy = [&] {
    std::uint8_t status = kBusyBit;
    return !CmdFlashStatus(context.transport, path, status) || (status & kBusyBit) != 0;
  };
  // A device that has gone away will not become ready: waiting out the
  // whole limit for it would only delay the failure of the next command.
  const auto gone = [&] {
    const ScsiResult& last = context.transport.LastResult();
    return !last.opened && last.error == TransportError::NoDevice;
  };
  bool stillBusy = busy();
  for (int reread = 0; stillBusy && !gone() && reread < kFlashPollLimit; ++reread) {
    context.host.clock.Sleep(kFlashPollInterval);
    stillBusy = busy();
  }
  return !stillBusy;
}

bool SpiQuery(Transport& transport, const std::string& path, std::uint8_t opcode, std::span<std::uint8_t> buffer) {
  return CmdSpiCommand(transport, path, opcode) && CmdSpiResponse(transport, path, buffer);
}

int DetectAmicFlash(Transport& transport, const std::string& path) {
  std::array<std::uint8_t, kIdLength> id{};
  if (!SpiQuery(transport, path, 0x9F, id)) return -1;
  if (id[0] != 0x7F || id[1] != 0x37 || id[2] != 0x20) return -1;
  for (const AmicModel& m : kAmicModels) {
    if (id[3] == m.code) return m.model;
  }
  return -1;
}

bool DetectFlashKind(Transport& transport, const std::string& path, FlashDetection& detection) {
  detection = FlashDetection{};
  const std::vector<Probe>& probes = Probes();
  for (std::size_t i = 0; i < probes.size(); ++i) {
    std::array<std::uint8_t, kIdLength> answer{};
    if (!Ask(transport, path, probes[i], answer)) {
      // Without an answer to the JEDEC id nothing more is asked; the flash
      // counts as detected, of unknown kind.
      if (i == 0) return true;
      continue;
    }
    if (const auto found = Match(probes[i].rules, answer)) {
      detection = *found;
      return true;
    }
  }
  return false;
}

}  // namespace qfw
