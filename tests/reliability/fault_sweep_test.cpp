// The fault sweep over every update path. Each prints its summary line and
// leaves it in sweep-<path>.txt next to the test program (or in
// QFW_SWEEP_SUMMARY_DIR when set), where CI and the README pick the figures
// up. QFW_SWEEP_STRIDE=n sweeps every n-th command only (the memory-checked
// run uses it).

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/reliability/fault_sweep.h"
#include "tests/reliability/procedure_paths.h"
#include "tests/reliability/workflow_paths.h"

namespace qfw::test {
namespace {

std::size_t StrideFromEnvironment(std::size_t pathStride) {
  const char* text = std::getenv("QFW_SWEEP_STRIDE");
  const long factor = text != nullptr ? std::strtol(text, nullptr, 10) : 1;
  return pathStride * static_cast<std::size_t>(factor > 0 ? factor : 1);
}

std::string FileNameOf(const std::string& path) {
  std::string name = "sweep-";
  for (const char c : path) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    else if (name.back() != '-') name += '-';
  }
  return name + ".txt";
}

void SweepAndCheck(const SweptPath& path) {
  const SweepFigures figures = RunSweep(path, StrideFromEnvironment(path.Stride()));
  const std::string line = figures.SummaryLine();
  std::cout << line << '\n';
  const char* directory = std::getenv("QFW_SWEEP_SUMMARY_DIR");
  std::ofstream(std::string(directory != nullptr ? directory : QFW_SWEEP_SUMMARY_DIR) + "/" + FileNameOf(path.Name()))
      << line << '\n';
  for (const std::string& problem : figures.problems) ADD_FAILURE() << path.Name() << ": " << problem;
  EXPECT_EQ(figures.problemCount, 0u) << "problems in all";
  EXPECT_GT(figures.runs, 0u);
  EXPECT_EQ(figures.faultsInjected, figures.runs);
  EXPECT_EQ(figures.falseSuccesses, 0u);
  EXPECT_EQ(figures.runaways, 0u);
  EXPECT_EQ(figures.recovered, figures.failuresReported);
}

TEST(FaultSweep, Family13) { SweepAndCheck(*Family13Path()); }
TEST(FaultSweep, Family10BlockCommands) { SweepAndCheck(*Family10BlockPath()); }
TEST(FaultSweep, Family10OlderCommands) { SweepAndCheck(*Family10LegacyPath()); }
TEST(FaultSweep, SerialFlashProcedurePmc) { SweepAndCheck(*SerialFlashPmcPath()); }
TEST(FaultSweep, SerialFlashProcedureAmic) { SweepAndCheck(*SerialFlashAmicPath()); }
TEST(FaultSweep, Family6NvramUpdate) { SweepAndCheck(*Family6NvramPath()); }
TEST(FaultSweep, ParallelRom) { SweepAndCheck(*RomPath()); }

}  // namespace
}  // namespace qfw::test
