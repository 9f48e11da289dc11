#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan, in build-fuzz/) and runs each for a
# while with its seed corpus (by hand; the test suite only replays the corpora).
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      default 120 seconds, every target
# RUNS=N stops a target after N executions if that comes first; JOBS=N runs N targets at once.
# Each run's output goes to build-fuzz/logs/<target>.log (its CPU seconds to <target>.cpu), and
# a table of executions, coverage and findings ends the run. Each fuzz/*_fuzz.cpp names its seed
# folders on a "// corpus:" line and may add libFuzzer options (room for longer inputs:
# -max_len) on an "// options:" line. What a run finds grows build-fuzz/corpus/<target>/; a
# crash leaves its input as build-fuzz/<target>-crash-*: add it to the seed folder once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-120}"
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOBU_FUZZ=ON -DTOBU_BENCH=OFF ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
ninja -C build-fuzz "${targets[@]}"
mkdir -p build-fuzz/logs
run_target() {
  local name="$1" src="fuzz/$1.cpp" corpus seeds options
  read -r -a seeds <<<"$(sed -n 's|^// corpus: *||p' "$src" | head -n1)"
  read -r -a options <<<"$(sed -n 's|^// options: *||p' "$src" | head -n1)"
  # Absolute paths: a target may change its working folder (the `tobu` one does).
  corpus="$PWD/build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name for ${secs}s"
  # The CPU seconds go beside the log: on a busy machine they, not the wall time, say how much
  # fuzzing a target got.
  TIMEFORMAT='%U %S'
  { time "build-fuzz/$name" -max_total_time="$secs" ${RUNS:+-runs="$RUNS"} -print_final_stats=1 \
    "${options[@]}" -artifact_prefix="$PWD/build-fuzz/$name-" "$corpus" "${seeds[@]/#/$PWD/}" \
    >"build-fuzz/logs/$name.log" 2>&1 || true; } 2>"build-fuzz/logs/$name.cpu"
  echo "== $name: $(grep -E '^Done' "build-fuzz/logs/$name.log" || echo 'stopped early')"
}
# JOBS=N runs N targets at a time (one a core is what a long campaign wants).
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "${JOBS:-1}" ]; do wait -n || true; done
  run_target "$name" &
done
wait

echo
echo "| Target | Executions | Seconds | CPU seconds | Coverage (edges) | Features | Corpus | Findings |"
echo "|---|---|---|---|---|---|---|---|"
for name in "${targets[@]}"; do
  log="build-fuzz/logs/$name.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  secs_used=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  cpu=$(awk '{ printf "%.0f", $1 + $2 }' "build-fuzz/logs/$name.cpu" 2>/dev/null || true)
  # Slow units are only reported; crashes, leaks, time-outs and out-of-memory inputs are findings.
  found=$(find build-fuzz -maxdepth 1 \( -name "$name-crash-*" -o -name "$name-leak-*" \
    -o -name "$name-timeout-*" -o -name "$name-oom-*" \) | wc -l)
  echo "| $name | ${runs:-?} | ${secs_used:-?} | ${cpu:-?} | ${cov:-?} | ${ft:-?} | ${corp:-?} | $found |"
done
