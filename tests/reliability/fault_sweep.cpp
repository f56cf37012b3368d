#include "tests/reliability/fault_sweep.h"

#include <algorithm>
#include <sstream>

#include "tests/reliability/expected_images.h"

namespace qfw::test {
namespace {

constexpr std::size_t kProblemsKept = 12;

std::string Ordinal(std::size_t n) {
  const std::size_t tens = n % 100;
  const char* suffix = tens >= 11 && tens <= 13 ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
  return std::to_string(n) + suffix;
}

class Sweep {
 public:
  Sweep(const SweptPath& path, std::size_t stride) : path_(path), setup_(path.Setup()) {
    figures_.path = path.Name();
    figures_.stride = stride;
  }

  SweepFigures Run() {
    SweepMachine clean(setup_);
    initial_ = path_.Memory(clean.Device());
    const RunReport report = path_.Run(clean);
    cleanLog_ = clean.Device().Log();
    figures_.commands = cleanLog_.size();
    const ByteVector after = path_.Memory(clean.Device());
    const ByteVector expected = path_.Expected(initial_, clean.Device());
    if (!report.success || after != expected) {
      Problem("the clean run did not update the device: " + report.shown + Difference(after, expected));
      return figures_;
    }
    const std::uint32_t flashSize = clean.Device().Flash().Size();
    for (std::size_t k = 1; k <= cleanLog_.size(); k += figures_.stride) {
      for (const FaultKind kind : kFaultKinds) {
        if (const auto fault = PlanFault(kind, k, cleanLog_, flashSize)) RunWith(*fault, k);
      }
    }
    return figures_;
  }

 private:
  void RunWith(const Fault& fault, std::size_t k) {
    SweepMachine machine(setup_);
    machine.injector.Arm(machine.Device(), fault);
    ++figures_.runs;
    const std::string what = Describe(fault, k);
    RunReport report;
    try {
      report = path_.Run(machine);
    } catch (const RunawayRun& runaway) {
      ++figures_.runaways;
      Problem(what + ": the run did not end (" + runaway.what() + ")");
      return;
    }
    figures_.longestRun = std::max(figures_.longestRun, machine.clock.Now());
    if (machine.injector.Struck()) ++figures_.faultsInjected;

    const ByteVector after = path_.Memory(machine.Device());
    const ByteVector expected = path_.Expected(initial_, machine.Device());
    if ((report.success || report.claimsUpdated) && after != expected) {
      ++figures_.falseSuccesses;
      Problem(what + ": success reported but the device does not hold the image: " + report.shown +
              Difference(after, expected));
    }
    if (report.success) {
      ++figures_.successes;
      return;
    }
    if (!report.failureShown) Problem(what + ": neither success nor failure was shown: " + report.shown);
    ++figures_.failuresReported;
    Recover(machine, after, expected, what);
  }

  // Heals the device, looks for it again and updates it a second time.
  void Recover(SweepMachine& machine, const ByteVector& before, const ByteVector& firstExpected,
               const std::string& what) {
    machine.Heal();
    RunReport again;
    try {
      again = path_.RunAgain(machine);
    } catch (const RunawayRun& runaway) {
      ++figures_.runaways;
      Problem(what + ": the second update on the healed device did not end (" + runaway.what() + ")");
      return;
    }
    const ByteVector after = path_.Memory(machine.Device());
    const ByteVector expected = path_.Expected(before, machine.Device());
    if ((again.success || again.claimsUpdated) && after == expected) {
      ++figures_.recovered;
      if (expected != firstExpected) ++figures_.configurationLost;
      return;
    }
    Problem(what + ": the healed device was not updated: " + again.shown + Difference(after, expected));
  }

  std::string Describe(const Fault& fault, std::size_t k) const {
    std::ostringstream text;
    text << FaultKindName(fault.kind) << " at command " << k << " (" << emu::TraceLine(cleanLog_[k - 1]) << ")";
    if (fault.flip) {
      text << ", flip 0x" << std::hex << fault.flip->address << " mask 0x" << int{fault.flip->mask} << std::dec
           << " from command " << fault.command;
    }
    return text.str();
  }

  static std::string Difference(const ByteVector& actual, const ByteVector& expected) {
    const long at = FirstDifference(actual, expected);
    if (at < 0) return "";
    std::ostringstream text;
    text << " [first difference at 0x" << std::hex << at << ": 0x" << int{actual[static_cast<std::size_t>(at)]}
         << " instead of 0x" << int{expected[static_cast<std::size_t>(at)]} << "]";
    return text.str();
  }

  void Problem(std::string text) {
    ++figures_.problemCount;
    if (figures_.problems.size() < kProblemsKept) figures_.problems.push_back(std::move(text));
  }

  const SweptPath& path_;
  const MachineSetup setup_;
  ByteVector initial_;
  std::vector<emu::LogEntry> cleanLog_;
  SweepFigures figures_;
};

}  // namespace

std::string SweepFigures::SummaryLine() const {
  std::ostringstream line;
  line << path << ": " << commands << " commands";
  if (stride > 1) line << " (every " << Ordinal(stride) << " swept)";
  line << ", " << runs << " runs, " << faultsInjected << " faults injected, " << falseSuccesses
       << " false successes, " << successes << " successes despite the fault, " << failuresReported
       << " failures reported, " << recovered << " recovered";
  if (configurationLost > 0) {
    line << " (" << configurationLost << " of them after the failed run had wiped the device's own configuration)";
  }
  line << ", longest run " << longestRun.count() / 1000 << " s of virtual time";
  return line.str();
}

SweepFigures RunSweep(const SweptPath& path, std::size_t stride) {
  return Sweep(path, std::max<std::size_t>(stride, 1)).Run();
}

}  // namespace qfw::test
