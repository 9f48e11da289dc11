# Shared set-up of the end-to-end checks: a private Xvfb display, a private copy of the program
# folder, private runtime and instance names, and small assertions.
set -u
STAGE="${TOBU_STAGE:?TOBU_STAGE names the staged program folder}"
WORK=$(mktemp -d /tmp/tobu-e2e-XXXXXX)
APP="$WORK/TobuClock"
mkdir -p "$APP" "$WORK/run"
cp -r "$STAGE"/. "$APP"/
rm -f "$APP/skin.ini"
export TOBU_RUNTIME_DIR="$WORK/run"
export TOBU_INSTANCE_NAME="tobu-e2e-$$"
export XDG_RUNTIME_DIR="$WORK/run"
unset QT_QPA_PLATFORM
# A sanitizer build runs under libfaketime's preload too.
export ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
PIDS=()
failures=0
passes=0

. "$(dirname "${BASH_SOURCE[0]}")/../../tools/xvfb.sh"
if ! start_xvfb; then rm -rf "$WORK"; exit 1; fi
PIDS+=("$XVFB_PID")

cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.3
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

ok() { echo "ok: $*"; passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what="$1"; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }

# The ids of the mapped 332 x 34 windows (the bar).
bar_ids() {
  for id in $(xwininfo -root -children 2>/dev/null | grep -E " 332x34\+" | awk '{print $1}'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then echo "$id"; fi
  done
}
bar_count_is() { [ "$(bar_ids | wc -l)" -eq "$1" ]; }
bar_pos() {  # "X Y" of the mapped bar, "none" without one
  local id
  id=$(bar_ids | head -n 1)
  if [ -z "$id" ]; then echo none; return; fi
  xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} END{print x, y}'
}
bar_at() { [ "$(bar_pos)" = "$1 $2" ]; }
process_gone() { ! kill -0 "$1" 2>/dev/null; }
wait_for() {  # wait_for SECONDS COMMAND...
  local t="$1"; shift
  local end=$((SECONDS + t))
  while [ $SECONDS -lt $end ]; do "$@" && return 0; sleep 0.2; done
  "$@"
}
# The mapped windows of the clock: a menu or a dialog that opens adds one. A key meant for a
# menu waits until the menu is up, as a fixed pause can be too short on a loaded machine.
clock_windows() { xdotool search --onlyvisible --pid "$CLOCK" 2>/dev/null | wc -l; }
windows_above() { [ "$(clock_windows)" -gt "$1" ]; }
start_clock() { "$APP/TobuClock" "$@" >"$WORK/clock.log" 2>&1 & CLOCK=$!; PIDS+=($CLOCK); }
ini_has() { grep -q -- "$1" "$APP/skin.ini" 2>/dev/null; }
dump_log() { cat "$WORK/clock.log"; }
finish() {
  echo "$passes passed, $failures failed"
  # What the last clock said, for a failure seen only in a loaded run.
  if [ "$failures" -ne 0 ] && [ -s "$WORK/clock.log" ]; then
    echo "--- the end of clock.log:"
    tail -n 30 "$WORK/clock.log"
  fi
  [ "$failures" -eq 0 ]
}
