#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

dir=build
options=(-DQFW_WERROR=ON)
if [[ ${1:-} == --sanitize ]]; then
  dir=build-asan
  options+=(-DQFW_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

scripts/build.sh "$dir" "${options[@]}"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
