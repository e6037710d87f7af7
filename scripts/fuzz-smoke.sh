#!/usr/bin/env bash
# A short fuzzing run: builds the libFuzzer targets (clang, ASan, UBSan) and runs each
# over its kept corpus in fuzz/corpus/<target>/ for FUZZ_SECONDS (30 by default), with
# one worker. Any crash, sanitizer report or broken invariant fails the run; the input
# that found it is left in the work folder printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
cmake --preset fuzz >/dev/null
targets=()
for source in fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build --preset fuzz -j2 --target "${targets[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/loudmark-fuzz.XXXXXX")
status=0
for source in fuzz/*.cpp; do
  target=$(basename "$source" .cpp)
  corpus=fuzz/corpus/$target
  mkdir -p "$work/$target/corpus" "$work/$target/findings"
  # New inputs go to the work copy; the kept corpus stays as committed.
  if [ -d "$corpus" ]; then cp "$corpus"/* "$work/$target/corpus/" 2>/dev/null || true; fi
  printf '== %s: %ss\n' "$target" "$seconds"
  if TMPDIR="$work" timeout $((seconds + 60)) "build/fuzz/$target" -max_total_time="$seconds" -max_len=2048 \
      -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$target/findings/" \
      "$work/$target/corpus" >"$work/$target/log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done' "$work/$target/log" || true
  else
    status=1
    echo "FAILED: $target (log and input in $work/$target)"
    grep -E -A8 '_fuzz:|ERROR|runtime error' "$work/$target/log" | head -40 || true
  fi
done
if [ "$status" -eq 0 ]; then rm -rf "$work"; fi
exit "$status"
