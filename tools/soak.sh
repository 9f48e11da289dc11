#!/usr/bin/env bash
# The soak run (by hand, not in CI): the clock with the analog clock open runs under libfaketime
# at 60 times the real speed, so MINUTES real minutes (default 20) are MINUTES hours of clock
# time, across midnight. Every minute the clock's VmRSS, open file descriptors and threads are
# sampled. It passes when the clock is alive at the end, its descriptors and threads are what
# they were after warm-up (the first two minutes) and VmRSS grew by at most 2 MB since then.
#
#   tools/soak.sh [MINUTES] [START]     START default "2024-02-10 14:00:00" (a Saturday)
#
# BUILD names the build folder (default: build). Needs Xvfb and faketime (tools/install-deps.sh
# --test); runs on its own virtual display, with a private copy of the program folder.
set -euo pipefail
minutes="${1:-20}"
start="${2:-2024-02-10 14:00:00}"
root=$(cd "$(dirname "$0")/.." && pwd)
stage="${BUILD:-$root/build}/TobuClock"
[ -x "$stage/TobuClock" ] || { echo "soak.sh: build first ($stage/TobuClock is missing)" >&2; exit 2; }

work=$(mktemp -d /tmp/tobu-soak-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.5
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app" "$work/run"
chmod 700 "$work/run"
cp -r "$stage"/. "$work/app"/
cp "$root/data/skin.ini" "$work/app/skin.ini"
printf '[BAR]\r\nDefWin=1\r\n[CLOCK]\r\nAlarm=1\r\nHalfAlarm=1\r\nAlarmType=1\r\n' >>"$work/app/skin.ini"

for n in $(seq 140 189); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
export DISPLAY=":${display:?no free display number}"
Xvfb "$DISPLAY" -screen 0 1280x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

unset QT_QPA_PLATFORM
export TOBU_RUNTIME_DIR="$work/run" XDG_RUNTIME_DIR="$work/run" TOBU_INSTANCE_NAME="tobu-soak-$$"
export SDL_AUDIODRIVER=dummy FAKETIME_DONT_FAKE_MONOTONIC=1
# The library itself rather than the faketime wrapper, so that $! is the clock's process.
LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1 FAKETIME="@$start x60" \
  "$work/app/TobuClock" >"$work/clock.log" 2>&1 &
clock=$!
sleep 5
pids+=($clock)

field() { awk -v k="$1:" '$1 == k {print $2}' "/proc/$clock/status"; }
printf '%-6s %-20s %10s %5s %8s\n' minute "clock time" "VmRSS kB" fds threads
base_rss="" base_fds="" base_threads="" ok=1
for m in $(seq 0 "$minutes"); do
  [ "$m" -eq 0 ] || sleep 60
  if ! kill -0 "$clock" 2>/dev/null; then echo "soak: the clock ended at minute $m"; ok=0; break; fi
  rss=$(field VmRSS) threads=$(field Threads) fds=$(ls "/proc/$clock/fd" | wc -l)
  # The clock's own idea of now: its start plus 60 times the real time it has run.
  now=$(date -d "@$(($(date -d "$start" +%s) + m * 3600))" '+%F %T')
  printf '%-6s %-20s %10s %5s %8s\n' "$m" "$now" "$rss" "$fds" "$threads"
  if [ "$m" -eq 2 ]; then base_rss=$rss base_fds=$fds base_threads=$threads; fi
  if [ "$m" -gt 2 ]; then
    [ "$fds" -eq "$base_fds" ] || { echo "soak: descriptors $base_fds -> $fds"; ok=0; }
    [ "$threads" -eq "$base_threads" ] || { echo "soak: threads $base_threads -> $threads"; ok=0; }
    [ $((rss - base_rss)) -le 2048 ] || { echo "soak: VmRSS grew by $((rss - base_rss)) kB"; ok=0; }
  fi
done
if [ "$ok" -eq 1 ]; then echo "soak: passed"; else echo "soak: FAILED"; tail -20 "$work/clock.log"; exit 1; fi
