#!/usr/bin/env bash
# Hardening checks, run by CI after the ordinary tests: the core library, plotsnap-cli
# and the core tests built with clang under AddressSanitizer and UndefinedBehavior-
# Sanitizer and run, then every fuzz target for a short smoke run on its seeds.
#   tools/hardening.sh [BUILD_DIR] [SECONDS_PER_FUZZ_TARGET]
#   FUZZ_SEED=0 tools/hardening.sh ...   a fresh random seed per run, for exploring; CI keeps one
#                                        fixed seed so its verdict does not change from run to run
#   PLOTSNAP_FUZZ_TOOLKIT=1 ...          the picture target decodes in process, to find new faults
#                                        in the toolkit's decoders (the program probes them in a child)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-hardening}
FUZZ_SECONDS=${2:-30}
FUZZ_SEED=${FUZZ_SEED:-1}
JOBS=${JOBS:-$(nproc)}
start=$(date +%s)
stamp() { echo "[hardening] $1 ($(( $(date +%s) - start )) s)"; }

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOTSNAP_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target core_tests plotsnap-cli fuzz
stamp "sanitizer build done"

export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$BUILD" && OMP_THREAD_LIMIT=1 ctest -L core -j "$JOBS" --output-on-failure)
stamp "core tests under AddressSanitizer and UndefinedBehaviorSanitizer passed"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in image_header version_reply numbers_labels cli_options processing project picture; do
  mkdir -p "$work/$target"
  seeds=(fuzz/corpus/$target)
  case $target in image_header|picture) seeds+=(tests/data) ;; esac
  "$BUILD/fuzz/fuzz_$target" -max_total_time="$FUZZ_SECONDS" -seed="$FUZZ_SEED" -print_final_stats=1 -artifact_prefix="$work/" \
    "$work/$target" "${seeds[@]}" 2>"$work/$target.log" || { tail -60 "$work/$target.log"; exit 1; }
  runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$work/$target.log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -1)
  echo "[hardening] fuzz_$target: $runs(s), $cov"
done
stamp "fuzz smoke runs passed"
