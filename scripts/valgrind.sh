#!/usr/bin/env bash
# Runs the emulated update paths under valgrind memcheck: the fault sweep
# (every QFW_SWEEP_STRIDE-th command, default 5, to keep it to a minute or two) and
# the bad-input matrix of reliability_tests. Any memcheck error or leak
# fails the run.
#   scripts/valgrind.sh [build dir]    default build/, as scripts/test.sh leaves it
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
scripts/install-packages.sh valgrind

dir=${1:-build}
program=$dir/tests/reliability/reliability_tests
if [[ ! -x $program ]]; then
  scripts/build.sh "$dir" -DQFW_WERROR=ON
fi

# The sampled sweep's figures go beside the full ones, not over them.
summaries=$dir/tests/reliability/valgrind
mkdir -p "$summaries"
QFW_SWEEP_STRIDE=${QFW_SWEEP_STRIDE:-5} QFW_SWEEP_SUMMARY_DIR=$summaries \
  valgrind --tool=memcheck --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --track-origins=yes --quiet \
  "$program" --gtest_filter='FaultSweep.*:BadInputTest.*:BackupFile.*' --gtest_brief=1
echo "valgrind memcheck: no errors (sweep figures of the sampled run in $summaries)"
