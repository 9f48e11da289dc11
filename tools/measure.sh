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

# One program folder for each row: the bar alone (DefWin 0, the goal at rest), the shipped
# settings (which open the analog clock under the bar), and one for each feature measured. Each
# runs as its own instance.
for app in app app-clock app-effects app-sync app-options app-tasks app-cal app-weather; do
  mkdir -p "$work/$app" "$work/run-$app"
  chmod 700 "$work/run-$app"
  cp -r "$stage"/. "$work/$app"/
  cp "$root/data/skin.ini" "$work/$app/skin.ini"
done
printf '[BAR]\r\nDefWin=0\r\n' >>"$work/app/skin.ini"
# The bar alone with 自动网络校时 on: its worker synchronises once against a Time server on
# loopback (the clock setter is /bin/true, so the real clock is never touched) and then sleeps
# through its pause.
printf '[BAR]\r\nDefWin=0\r\n[TIME]\r\nAutoChcek=1\r\nStepHour=1\r\n' >>"$work/app-sync/skin.ini"
python3 - "$work" >/dev/null 2>&1 <<'EOS' &
import socket, struct, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
open(sys.argv[1] + "/time-port", "w").write(str(s.getsockname()[1]))
while True:
    c, _ = s.accept()
    c.sendall(struct.pack(">I", int(time.time()) + 2208988800))
    c.close()
EOS
pids+=($!)
for _ in $(seq 50); do [ -s "$work/time-port" ] && break; sleep 0.1; done
printf '127.0.0.1:%s\r\n' "$(cat "$work/time-port")" >"$work/app-sync/TimeHost.lst"
# The options dialog open over a bar alone, the bar at the left edge below the others.
printf '[BAR]\r\nDefWin=0\r\nLeft=0\r\nTop=300\r\n' >>"$work/app-options/skin.ini"
# The bar alone with 200 scheduled tasks in War.lst (none due while it is measured), checked
# every tick.
printf '[BAR]\r\nDefWin=0\r\n' >>"$work/app-tasks/skin.ini"
for i in $(seq 0 199); do
  printf '*0%04d年%02d月%02d日%02d时%02d分%02d秒\r\n2播放 (/tmp/%d.wav)\r\n3消息 (提醒 %d)\r\n' \
    2099 $((i % 12 + 1)) $((i % 28 + 1)) $((i % 24)) $((i * 7 % 60)) $((i * 13 % 60)) "$i" "$i"
done | iconv -f UTF-8 -t GBK >"$work/app-tasks/War.lst"
printf '[BAR]\r\nDefWin=2\r\n' >>"$work/app-cal/skin.ini"
# The bar alone with three announcements in a fresh feed cache: the date line cross-fades from
# the date to each of them in turn, every 3.5 s, with its text effects.
printf '[BAR]\r\nDefWin=0\r\n' >>"$work/app-effects/skin.ini"
mkdir -p "$work/app-effects/Sup"
{
  printf 'v7|3|%s\r\n' "$(date +'%Y/%-m/%-d %-H:%M:%S')"
  for item in '新版本发布了|http://www.example.com/a' '整点报时的新声音|http://www.example.com/b' \
    '换一款皮肤试试|http://www.example.com/c'; do
    printf '*\r\n1\r\n%s\r\ninfo\r\n%s\r\n' "${item%%|*}" "${item#*|}"
  done
  printf '$\r\n'
} | iconv -f UTF-8 -t GBK >"$work/app-effects/Sup/Ad.his"
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

. "$(dirname "$0")/xvfb.sh"
start_xvfb
pids+=("$XVFB_PID")

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

# The rows: a name, the program folder (none for the bare label), and the row's caption.
rows=(bare clock face effects sync task cal options weather)
declare -A folder=([clock]=app [face]=app-clock [effects]=app-effects [sync]=app-sync [task]=app-tasks [cal]=app-cal
  [options]=app-options [weather]=app-weather)
declare -A caption=([bare]="bare_label" [clock]="TobuClock" [face]="TobuClock with the analog clock"
  [effects]="TobuClock with the date line cycling 3 announcements" [sync]="TobuClock with 自动网络校时" [task]="TobuClock with 200 scheduled tasks"
  [cal]="TobuClock with the calendar" [options]="TobuClock with the options dialog open"
  [weather]="TobuClock with the weather window")
declare -A pid start t0 s0 t1 s1 cpu_of wake_of rss_of hwm_of
for row in "${rows[@]}"; do
  case $row in
    bare) read -r pid[$row] start[$row] < <(start_timed "$bare") ;;
    sync) read -r pid[$row] start[$row] < <(TOBU_CLOCK_SETTER=/bin/true start_clock_in "${folder[$row]}") ;;
    weather)
      read -r pid[$row] start[$row] < <(TOBU_SERVER="http://127.0.0.1:$(head -n 1 "$work/www.port")" \
        QTWEBENGINE_DISABLE_SANDBOX=1 start_clock_in "${folder[$row]}") ;;
    *) read -r pid[$row] start[$row] < <(start_clock_in "${folder[$row]}") ;;
  esac
  pids+=("${pid[$row]}")
  if [ "$row" = options ]; then
    # "系统设置" → "常规设置" from its menu button (Up from the end: 退出, 关于, 帮助, 主页, 系统设置).
    sleep 1
    xdotool mousemove 20 315 click 1 sleep 0.5 key Up Up Up Up Up Right sleep 0.3 key Return
    start[$row]=-
  fi
done
sleep "$settle"

hz=$(getconf CLK_TCK)
for row in "${rows[@]}"; do t0[$row]=$(ticks "${pid[$row]}"); s0[$row]=$(switches "${pid[$row]}"); done
sleep "$duration"
for row in "${rows[@]}"; do t1[$row]=$(ticks "${pid[$row]}"); s1[$row]=$(switches "${pid[$row]}"); done

cpu() { awk -v a="$1" -v b="$2" -v hz="$hz" -v d="$duration" 'BEGIN { printf "%.2f", (b - a) / hz / d * 100 }'; }
rate() { awk -v a="$1" -v b="$2" -v d="$duration" 'BEGIN { printf "%.2f", (b - a) / d }'; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
for row in "${rows[@]}"; do
  cpu_of[$row]=$(cpu "${t0[$row]}" "${t1[$row]}")
  wake_of[$row]=$(rate "${s0[$row]}" "${s1[$row]}")
  rss_of[$row]=$(status_kb "${pid[$row]}" VmRSS)
  hwm_of[$row]=$(status_kb "${pid[$row]}" VmHWM)
done
opt_open=no
for id in $(xdotool search --onlyvisible --pid "${pid[options]}" 2>/dev/null); do
  xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q '"系统设置"' && opt_open=yes
done
caption[options]+=" (open: $opt_open)"

cpu_model=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, ${cpu_model:-unknown CPU}; ${duration} s after ${settle} s of settling, all at once on one Xvfb."
echo
echo "| Program | CPU % of one core | Wake-ups / s | VmRSS MB | VmHWM MB | First window ms |"
echo "|---|---|---|---|---|---|"
# The browser engine's helper processes are not counted: the clock's own process only.
for row in clock face effects sync task cal options weather bare; do
  echo "| ${caption[$row]} | ${cpu_of[$row]} | ${wake_of[$row]} | $(mb "${rss_of[$row]}") | $(mb "${hwm_of[$row]}") | ${start[$row]} |"
done
echo

# The goal at rest: CPU no more than the bare label's, at most one wake-up a second more,
# at most 6 MB more resident memory, the first window within 1.5 times the bare label's time.
verdict() { if awk "BEGIN { exit !($2) }"; then echo "met:     $1"; else echo "NOT met: $1"; fi; }
clock_cpu=${cpu_of[clock]} bare_cpu=${cpu_of[bare]} face_cpu=${cpu_of[face]}
clock_wake=${wake_of[clock]} bare_wake=${wake_of[bare]}
clock_rss=${rss_of[clock]} bare_rss=${rss_of[bare]}
clock_start=${start[clock]} bare_start=${start[bare]}
verdict "CPU $clock_cpu % <= $bare_cpu %" "$clock_cpu <= $bare_cpu"
verdict "wake-ups $clock_wake/s <= $bare_wake/s + 1" "$clock_wake <= $bare_wake + 1"
verdict "VmRSS $(mb "$clock_rss") MB <= $(mb "$bare_rss") MB + 6" "$clock_rss <= $bare_rss + 6144"
verdict "first window $clock_start ms <= 1.5 x $bare_start ms" \
  "$clock_start >= 0 && $bare_start > 0 && $clock_start <= 1.5 * $bare_start"
# Each companion window, and the date line's effects: CPU at most twice the bare label's, at
# most 10 MB more memory.
for row in face effects cal weather; do
  verdict "${caption[$row]}: CPU ${cpu_of[$row]} % <= 2 x $bare_cpu %" "${cpu_of[$row]} <= 2 * $bare_cpu"
  verdict "${caption[$row]}: VmRSS $(mb "${rss_of[$row]}") MB <= $(mb "$bare_rss") MB + 10" \
    "${rss_of[$row]} <= $bare_rss + 10240"
done
verdict "with time sync: synchronised once" "$([ -s "$work/app-sync/TimeCheck.lst" ] && echo 1 || echo 0)"
verdict "with time sync: wake-ups ${wake_of[sync]}/s <= $bare_wake/s + 1" "${wake_of[sync]} <= $bare_wake + 1"
# 200 scheduled tasks add no wake-up and less than 1 MB.
verdict "with 200 tasks: wake-ups ${wake_of[task]}/s <= $clock_wake/s + 0.5" "${wake_of[task]} <= $clock_wake + 0.5"
verdict "with 200 tasks: VmRSS $(mb "${rss_of[task]}") MB <= $(mb "$clock_rss") MB + 1" \
  "${rss_of[task]} <= $clock_rss + 1024"

# The command-line tool as a whole process (start, work, exit): `tobu cal --json` over 10 000
# dates in one call, and `tobu cal --month` for each of 2 400 months (1901-01 to 2100-12), one
# call a month. The best of three runs for the first; wall time, CPU and peak memory.
tool="$stage/tobu"
dates=$(python3 -c "
import datetime
d = datetime.date(1990, 1, 1)
print(' '.join((d + datetime.timedelta(days=i)).isoformat() for i in range(10000)))")
best=""
for _ in 1 2 3; do
  # shellcheck disable=SC2086
  line=$( { /usr/bin/time -f "%e %U %S %M" "$tool" cal --json $dates >/dev/null; } 2>&1 | tail -n 1)
  if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then best=$line; fi
done
read -r json_s json_u json_sys json_kb <<<"$best"
seq 0 2399 | awk '{ printf "%04d-%02d\n", 1901 + int($1 / 12), $1 % 12 + 1 }' >"$work/months"
t0=$(now_ms)
xargs -n 1 "$tool" cal --month <"$work/months" >/dev/null
month_ms=$(($(now_ms) - t0))
echo
echo "| Command | Wall ms | CPU ms | Peak MB |"
echo "|---|---|---|---|"
echo "| tobu cal --json, 10 000 dates, one call | $(awk -v s="$json_s" 'BEGIN { printf "%.0f", s * 1000 }') | $(awk -v u="$json_u" -v s="$json_sys" 'BEGIN { printf "%.0f", (u + s) * 1000 }') | $(mb "$json_kb") |"
echo "| tobu cal --month, 2 400 months, a call each | $month_ms (total) | - | - |"
verdict "tobu cal --json for 10 000 dates within 30 ms" \
  "$(awk -v s="$json_s" 'BEGIN { print s * 1000 }') <= 30"
