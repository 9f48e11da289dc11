#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan, in build-fuzz/) and runs each for a
# while with its seed corpus (by hand; the test suite only replays the corpora).
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      default 120 seconds, every target
# Each fuzz/*_fuzz.cpp names its seed folders on a "// corpus:" line and may add libFuzzer
# options (room for longer inputs: -max_len) on an "// options:" line. What a run finds grows build-fuzz/corpus/<target>/; a crash
# leaves its input as build-fuzz/crash-*: add it to the seed folder once it is fixed.
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
for name in "${targets[@]}"; do
  src="fuzz/$name.cpp"
  read -r -a seeds <<<"$(sed -n 's|^// corpus: *||p' "$src" | head -n1)"
  read -r -a options <<<"$(sed -n 's|^// options: *||p' "$src" | head -n1)"
  # Absolute paths: a target may change its working folder (the `tobu` one does).
  corpus="$PWD/build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name for ${secs}s"
  "build-fuzz/$name" -max_total_time="$secs" -print_final_stats=1 "${options[@]}" \
    -artifact_prefix="$PWD/build-fuzz/" "$corpus" "${seeds[@]/#/$PWD/}"
done
