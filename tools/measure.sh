#!/usr/bin/env bash
# The cost table: what the clock costs at rest next to a bare Qt 6 label that shows a Chinese
# date and time and is re-set every second (bench/bare_label.cpp).
#
#   tools/measure.sh [SECONDS] [SETTLE]
#
# Both programs run on one fresh Xvfb display. Each is started alone and timed until its first
# window is mapped; then both settle (SETTLE seconds, default 5) and are measured side by side
# over the same SECONDS (default 60): CPU % of one core (utime + stime), wake-ups per second
# (voluntary and involuntary context switches of all their threads), VmRSS and VmHWM at the end.
# The clock runs on a private copy of the program folder with the shipped skin.ini (the default
# skin, as a new user sees it). BUILD names the build folder (default: build).
set -euo pipefail

duration="${1:-60}"
settle="${2:-5}"
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD:-$root/build}"
stage="$build/TobuClock"
bare="$build/bare_label"
for f in "$stage/TobuClock" "$bare"; do
  [ -x "$f" ] || { echo "measure.sh: $f is missing; build first (ninja -C build TobuClock bare_label)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tobu-measure-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.3
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Two program folders: the bar alone (DefWin 0, the goal at rest) and the shipped settings,
# which open the analog clock under the bar. Each runs as its own instance.
for app in app app-clock app-weather; do
  mkdir -p "$work/$app" "$work/run-$app"
  chmod 700 "$work/run-$app"
  cp -r "$stage"/. "$work/$app"/
  cp "$root/data/skin.ini" "$work/$app/skin.ini"
done
printf '[BAR]\r\nDefWin=0\r\n' >>"$work/app/skin.ini"
# The weather window (DefWin 3) shows a small page from a server on 127.0.0.1; as root the
# browser engine runs only without its sandbox.
printf '[BAR]\r\nDefWin=3\r\n' >>"$work/app-weather/skin.ini"
mkdir -p "$work/www"
printf '<html><body>晴 12-20°C</body></html>' >"$work/www/Weather_TobuClock.htm"
python3 "$root/tests/online/feed_server.py" --root "$work/www" --log "$work/www.log" >"$work/www.port" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/www.port" ] && break; sleep 0.1; done
unset QT_QPA_PLATFORM
# Starts one of the folders' clock as its own instance (see start_timed).
start_clock_in() {
  TOBU_RUNTIME_DIR="$work/run-$1" XDG_RUNTIME_DIR="$work/run-$1" \
    TOBU_INSTANCE_NAME="tobu-measure-$1-$$" start_timed "$work/$1/TobuClock"
}

for n in $(seq 90 139); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
export DISPLAY=":${display:?no free display number}"
Xvfb "$DISPLAY" -screen 0 1280x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

now_ms() { date +%s%3N; }

# Starts a program and prints "PID MS": its pid and the milliseconds until it maps a window.
start_timed() {
  local t0 pid
  t0=$(now_ms)
  "$@" >"$work/$(basename "$(dirname "$1")")-$(basename "$1").log" 2>&1 &
  pid=$!
  for _ in $(seq 3000); do
    if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then
      echo "$pid $(($(now_ms) - t0))"
      return
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.005
  done
  echo "$pid -1"
}

ticks() {  # utime + stime of the process, in clock ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}
switches() {  # context switches of all threads so far
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { s += $2 } END { print s + 0 }'
}
status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }

read -r bare_pid bare_start < <(start_timed "$bare")
pids+=("$bare_pid")
read -r clock_pid clock_start < <(start_clock_in app)
pids+=("$clock_pid")
read -r face_pid face_start < <(start_clock_in app-clock)
pids+=("$face_pid")
read -r weather_pid weather_start < <(TOBU_SERVER="http://127.0.0.1:$(head -n 1 "$work/www.port")" \
  QTWEBENGINE_DISABLE_SANDBOX=1 start_clock_in app-weather)
pids+=("$weather_pid")
sleep "$settle"

hz=$(getconf CLK_TCK)
t_clock0=$(ticks "$clock_pid"); s_clock0=$(switches "$clock_pid")
t_bare0=$(ticks "$bare_pid"); s_bare0=$(switches "$bare_pid")
t_face0=$(ticks "$face_pid"); s_face0=$(switches "$face_pid")
t_weather0=$(ticks "$weather_pid"); s_weather0=$(switches "$weather_pid")
sleep "$duration"
t_weather1=$(ticks "$weather_pid"); s_weather1=$(switches "$weather_pid")
t_face1=$(ticks "$face_pid"); s_face1=$(switches "$face_pid")
t_clock1=$(ticks "$clock_pid"); s_clock1=$(switches "$clock_pid")
t_bare1=$(ticks "$bare_pid"); s_bare1=$(switches "$bare_pid")

cpu() { awk -v a="$1" -v b="$2" -v hz="$hz" -v d="$duration" 'BEGIN { printf "%.2f", (b - a) / hz / d * 100 }'; }
rate() { awk -v a="$1" -v b="$2" -v d="$duration" 'BEGIN { printf "%.2f", (b - a) / d }'; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

clock_cpu=$(cpu "$t_clock0" "$t_clock1"); bare_cpu=$(cpu "$t_bare0" "$t_bare1")
clock_wake=$(rate "$s_clock0" "$s_clock1"); bare_wake=$(rate "$s_bare0" "$s_bare1")
clock_rss=$(status_kb "$clock_pid" VmRSS); bare_rss=$(status_kb "$bare_pid" VmRSS)
clock_hwm=$(status_kb "$clock_pid" VmHWM); bare_hwm=$(status_kb "$bare_pid" VmHWM)
face_cpu=$(cpu "$t_face0" "$t_face1"); face_wake=$(rate "$s_face0" "$s_face1")
face_rss=$(status_kb "$face_pid" VmRSS); face_hwm=$(status_kb "$face_pid" VmHWM)
weather_cpu=$(cpu "$t_weather0" "$t_weather1"); weather_wake=$(rate "$s_weather0" "$s_weather1")
weather_rss=$(status_kb "$weather_pid" VmRSS); weather_hwm=$(status_kb "$weather_pid" VmHWM)

cpu_model=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, ${cpu_model:-unknown CPU}; ${duration} s after ${settle} s of settling, all at once on one Xvfb."
echo
echo "| Program | CPU % of one core | Wake-ups / s | VmRSS MB | VmHWM MB | First window ms |"
echo "|---|---|---|---|---|---|"
echo "| TobuClock | $clock_cpu | $clock_wake | $(mb "$clock_rss") | $(mb "$clock_hwm") | $clock_start |"
echo "| TobuClock with the analog clock | $face_cpu | $face_wake | $(mb "$face_rss") | $(mb "$face_hwm") | $face_start |"
echo "| bare_label | $bare_cpu | $bare_wake | $(mb "$bare_rss") | $(mb "$bare_hwm") | $bare_start |"
# The browser engine's helper processes are not counted: the clock's own process only.
echo "| TobuClock with the weather window | $weather_cpu | $weather_wake | $(mb "$weather_rss") | $(mb "$weather_hwm") | $weather_start |"
echo

# The goal at rest: CPU no more than the bare label's, at most one wake-up a second more,
# at most 6 MB more resident memory, the first window within 1.5 times the bare label's time.
verdict() { if awk "BEGIN { exit !($2) }"; then echo "met:     $1"; else echo "NOT met: $1"; fi; }
verdict "CPU $clock_cpu % <= $bare_cpu %" "$clock_cpu <= $bare_cpu"
verdict "wake-ups $clock_wake/s <= $bare_wake/s + 1" "$clock_wake <= $bare_wake + 1"
verdict "VmRSS $(mb "$clock_rss") MB <= $(mb "$bare_rss") MB + 6" "$clock_rss <= $bare_rss + 6144"
verdict "first window $clock_start ms <= 1.5 x $bare_start ms" \
  "$clock_start >= 0 && $bare_start > 0 && $clock_start <= 1.5 * $bare_start"
# With the analog clock open: CPU at most twice the bare label's, at most 10 MB more memory.
verdict "with the clock: CPU $face_cpu % <= 2 x $bare_cpu %" "$face_cpu <= 2 * $bare_cpu"
verdict "with the clock: VmRSS $(mb "$face_rss") MB <= $(mb "$bare_rss") MB + 10" \
  "$face_rss <= $bare_rss + 10240"
