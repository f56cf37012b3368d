#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, coverage on all of the program's code) in
# build-fuzz/ and runs each for a bounded time, starting from its seed corpus
# in fuzz/corpus/<target>/. Exits non-zero when a target found a crash, a
# hang or a sanitizer error; the input that did it is left in
# build-fuzz/findings/ (fix the fault, then keep the input in
# fuzz/regressions/<target>/, which the test suite replays).
#   scripts/fuzz.sh [seconds per target]     default 60, or QFW_FUZZ_SECONDS
#   QFW_FUZZ_TARGETS="scenario"              run only these targets
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
scripts/install-packages.sh clang libclang-rt-14-dev

seconds=${1:-${QFW_FUZZ_SECONDS:-60}}
targets=(${QFW_FUZZ_TARGETS:-identification firmware_file image_check scenario})
dir=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQFW_FUZZ=ON -DQFW_SANITIZE=ON -DQFW_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$dir" --target fuzzers --parallel "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$dir/findings"
failed=()
for target in "${targets[@]}"; do
  # New inputs go to the working corpus in the build tree, not the seeds.
  work="$dir/corpus/$target"
  mkdir -p "$work"
  # Image files are up to 64 KiB; the other inputs are small.
  max_len=20000
  [[ $target == image_check ]] && max_len=70000
  echo "== fuzz_$target for ${seconds}s"
  if ! "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len="$max_len" \
      -print_final_stats=1 -artifact_prefix="$dir/findings/$target-" "$work" "fuzz/corpus/$target"; then
    failed+=("$target")
  fi
done

if ((${#failed[@]})); then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $dir/findings/)" >&2
  exit 1
fi
echo "fuzzing: no findings in ${targets[*]} (${seconds}s each)"
