#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a running clock or a passing test suite.
#
#   tools/setup.sh run    install what is needed, build, and start the clock
#   tools/setup.sh test   install what is needed, build, and run every test
#
# Without an X display, "run" starts the clock on a virtual display (Xvfb) and writes a
# screenshot to build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-run}"
BUILD="${BUILD_DIR:-build}"

case "$mode" in
  run)  bash tools/install-deps.sh ;;
  test) bash tools/install-deps.sh --test ;;
  *) echo "usage: tools/setup.sh run|test" >&2; exit 2 ;;
esac

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBU_WERROR="${TOBU_WERROR:-OFF}" >/dev/null
ninja -C "$BUILD" -j "$jobs"

if [ "$mode" = test ]; then
  cd "$BUILD"
  ctest --output-on-failure -j "$jobs" --timeout 300
  exit $?
fi

app="$BUILD/TobuClock/TobuClock"
if [ -z "${DISPLAY:-}" ]; then
  display=":$(( 90 + RANDOM % 9 ))"
  Xvfb "$display" -screen 0 1280x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY="$display"
  sleep 1
  "$app" "${@:2}" &
  clock=$!
  sleep 4
  import -window root "$BUILD/screenshot.png" 2>/dev/null || true
  echo "No X display: TobuClock runs on the virtual display $DISPLAY."
  echo "Screenshot: $BUILD/screenshot.png   (stop with Ctrl+C)"
  trap 'kill $clock 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT INT TERM
  wait $clock
else
  exec "$app" "${@:2}"
fi
