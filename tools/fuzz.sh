#!/usr/bin/env bash
# Runs every fuzz target for a while (by hand; not part of CI).
#   tools/fuzz.sh [SECONDS_PER_TARGET]   default 120
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-120}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTOBU_FUZZ=ON -DTOBU_BENCH=OFF >/dev/null
for src in fuzz/*_fuzz.cpp; do
  name=$(basename "$src" .cpp)
  ninja -C build-fuzz "$name"
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  for d in tests/*/corpus/*; do
    case "$name" in ini_file_fuzz) [ "$(basename "$d")" = ini ] && seeds+=("$d") ;;
                    skin_package_fuzz) [ "$(basename "$d")" = skin ] && seeds+=("$d") ;;
                    endpoint_frame_fuzz) [ "$(basename "$d")" = frame ] && seeds+=("$d") ;;
                    clock_face_fuzz) [ "$(basename "$d")" = clockface ] && seeds+=("$d") ;;
                    feed_fuzz) [ "$(basename "$d")" = feed ] && seeds+=("$d") ;;
                    userjs_fuzz) [ "$(basename "$d")" = userjs ] && seeds+=("$d") ;; esac
  done
  echo "== $name for ${secs}s"
  "build-fuzz/$name" -max_total_time="$secs" -print_final_stats=1 "$corpus" "${seeds[@]}"
done
