#!/usr/bin/env bash
# The moments soak (by hand, not in CI): at 60 times the speed the one-second tick never lands on
# a whole minute, so here the clock is started under libfaketime at the real speed a few seconds
# before each moment that matters, in turn, and watched for about ten seconds after it:
#
#   - each of the 24 full hours: the hourly chime, of the message kind ("消息报时"), whose
#     popup "时钟报时：H:00:00" the popup program shows as a window of that name;
#   - midnight: the date line and the open calendar change to the new day (compared with a
#     clock whose calendar is first opened after midnight);
#   - a scheduled task at 10:15:00 that runs a file (a script that writes a line) and shows a
#     message;
#   - the time synchronisation: with 自动网络校时 on, the clock asks a Time server on loopback
#     once at start and hands its answer once to the clock setter, a recording stand-in
#     (TOBU_CLOCK_SETTER); the real clock is never touched.
#
# Each must happen exactly once. The script prints a table of moment -> count and fails when a
# count is not 1.
#
#   tools/soak-moments.sh [DATE]        DATE default 2024-02-10 (midnight is the one after it)
#
# HOURS limits the chimes to some hours (HOURS="0 9"). BUILD names the build folder (default:
# build). Needs Xvfb, xdotool, ImageMagick, python3 and
# faketime (tools/install-deps.sh --test); runs on its own virtual display, with a private copy
# of the program folder, and talks to no server but its own on 127.0.0.1.
set -euo pipefail
day="${1:-2024-02-10}"
root=$(cd "$(dirname "$0")/.." && pwd)
stage="${BUILD:-$root/build}/TobuClock"
[ -x "$stage/TobuClock" ] || { echo "soak-moments.sh: build first ($stage/TobuClock is missing)" >&2; exit 2; }
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1
before=5 after=10

work=$(mktemp -d /tmp/tobu-moments-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.5
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run"
chmod 700 "$work/run"

. "$(dirname "$0")/xvfb.sh"
start_xvfb
pids+=("$XVFB_PID")
unset QT_QPA_PLATFORM
export TOBU_RUNTIME_DIR="$work/run" XDG_RUNTIME_DIR="$work/run"
export SDL_AUDIODRIVER=dummy FAKETIME_DONT_FAKE_MONOTONIC=1 TOBU_SERVER="http://127.0.0.1:9"

# A fresh program folder for each case, with the settings lines given after the shipped ones.
fresh_app() {  # fresh_app LINES...
  rm -rf "$work/app"
  cp -r "$stage" "$work/app"
  { tr -d '\r' <"$root/data/skin.ini"; printf '%s\n' '[BAR]' 'Left=200' 'Top=0' "$@"; } |
    sed 's/$/\r/' >"$work/app/skin.ini"
}
clock=""
start_clock() {  # start_clock "YYYY-MM-DD hh:mm:ss": the clock at that time, real speed
  TOBU_INSTANCE_NAME="tobu-moments-$$-$RANDOM" LD_PRELOAD="$faketime_lib" FAKETIME="@$1" \
    "$work/app/TobuClock" >>"$work/clock.log" 2>&1 &
  clock=$!
  pids+=($clock)
}
stop_clock() {
  kill -TERM "$clock" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$clock" 2>/dev/null || break; sleep 0.1; done
  # The popup program ends when the bar tells it at its close; make sure of it.
  for p in $(pgrep -f "^$work/app/PopupMsg " || true); do kill "$p" 2>/dev/null || true; done
  sleep 0.3
}
# The ids of the viewable popups whose first line is NAME, one a line.
windows_named() {
  local id
  xwininfo -root -children 2>/dev/null | grep -F "\"Tobu桌面时钟 - $1\"" | awk '{print $1}' | while read -r id; do
    xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && echo "$id"
  done
}
# Watches for SECONDS and prints how many different windows named NAME were seen.
count_windows() {  # count_windows SECONDS NAME
  local end=$((SECONDS + $1)) seen=""
  while [ $SECONDS -lt "$end" ]; do
    seen=$(printf '%s\n%s\n' "$seen" "$(windows_named "$2")" | sed '/^$/d' | sort -u)
    sleep 0.5
  done
  printf '%s\n' "$seen" | sed '/^$/d' | wc -l
}
results=()
record() {  # record MOMENT COUNT
  results+=("$1|$2")
  printf '  %-34s %s\n' "$1" "$2"
}
at() { date -d "@$(($(date -d "$1" +%s) + $2))" '+%F %T'; }  # at TIME OFFSET-SECONDS

echo "hourly chimes (消息报时), each watched from ${before} s before to ${after} s after:"
fresh_app 'DefWin=0' '[CLOCK]' 'Alarm=1' 'HalfAlarm=0' 'AlarmType=3' '[MSG]' 'Auto=1' 'AutoSec=30' \
  'CalendarLX=0'
cp -r "$work/app" "$work/chime-app"
for h in ${HOURS:-$(seq 0 23)}; do
  rm -rf "$work/app" && cp -r "$work/chime-app" "$work/app"
  moment=$(printf '%s %02d:00:00' "$day" "$h")
  start_clock "$(at "$moment" -"$before")"
  n=$(count_windows $((before + after)) "时钟报时：$h:00:00")
  stop_clock
  record "$(printf '%02d:00 chime' "$h")" "$n"
done

echo "midnight:"
midnight=$(date -d "$day + 1 day" '+%F 00:00:00')
# The date line (right of the LED) and the whole calendar window under the bar.
shoot() {  # shoot NAME
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop 156x22+376+11 +repage "$work/$1-date.png"
  convert "$work/screen.png" -crop 332x390+200+34 +repage "$work/$1-cal.png"
}
differ() {  # differ A B: how many pixels differ
  compare -metric AE "$1" "$2" null: 2>&1 || true
}
# The reference: a clock started before midnight whose calendar is first opened after it (the
# bar's menu, row "日历").
fresh_app 'DefWin=0' '[MSG]' 'CalendarLX=0'
start_clock "$(at "$midnight" -3)"
sleep 6
xdotool mousemove 220 15 click 1 sleep 0.8 mousemove 280 89 sleep 0.2 click 1 sleep 0.3 \
  mousemove 1000 700
sleep 4
shoot ref
stop_clock
# The case: the calendar open from before midnight on.
fresh_app 'DefWin=2' '[MSG]' 'CalendarLX=0'
start_clock "$(at "$midnight" -"$before")"
sleep $((before - 2))
shoot before
sleep $((after + 2))
shoot after
stop_clock
n=0
[ "$(differ "$work/before-date.png" "$work/after-date.png")" != 0 ] &&
  [ "$(differ "$work/after-date.png" "$work/ref-date.png")" = 0 ] && n=1
record "00:00 date line shows the new date" "$n"
n=0
[ "$(differ "$work/before-cal.png" "$work/after-cal.png")" != 0 ] &&
  [ "$(differ "$work/after-cal.png" "$work/ref-cal.png")" = 0 ] && n=1
record "00:00 calendar moves 今天" "$n"

echo "a scheduled task:"
fresh_app 'DefWin=0' '[MSG]' 'Auto=1' 'AutoSec=30' 'CalendarLX=0'
printf '#!/bin/sh\necho ran >>"%s"\n' "$work/task-ran" >"$work/app/task.sh"
chmod +x "$work/app/task.sh"
printf '*010时15分00秒\r\n4执行 (%s)\r\n3消息 (定时任务到了)\r\n' "$work/app/task.sh" |
  iconv -f UTF-8 -t GBK >"$work/app/War.lst"
rm -f "$work/task-ran"
start_clock "$(at "$day 10:15:00" -"$before")"
n=$(count_windows $((before + after)) "定时任务到了")
stop_clock
record "10:15:00 task message" "$n"
record "10:15:00 task runs its file" "$( [ -f "$work/task-ran" ] && wc -l <"$work/task-ran" || echo 0)"

echo "time synchronisation:"
# A Time server on loopback answering 0xE99E0E00 (2024-03-15 00:00:00 UTC); it logs each
# connection.
python3 - "$work" >"$work/server.log" 2>&1 <<'EOS' &
import socket, struct, sys
work = sys.argv[1]
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
open(work + "/port", "w").write(str(s.getsockname()[1]))
while True:
    c, _ = s.accept()
    with open(work + "/connections", "a") as f:
        f.write("x\n")
    c.sendall(struct.pack(">I", 0xE99E0E00))
    c.close()
EOS
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
printf '#!/bin/sh\necho "$1|$2" >>"%s"\n' "$work/setter.log" >"$work/setter.sh"
chmod +x "$work/setter.sh"
fresh_app 'DefWin=0' '[TIME]' 'AutoChcek=1' 'StepHour=1' '[MSG]' 'CalendarLX=0'
printf '127.0.0.1:%s\r\n' "$(cat "$work/port")" >"$work/app/TimeHost.lst"
rm -f "$work/app/TimeCheck.lst"
TOBU_CLOCK_SETTER="$work/setter.sh" start_clock "$(at "$day 12:00:00" -"$before")"
sleep $((before + after))
stop_clock
record "start: asks the Time server" "$( [ -f "$work/connections" ] && wc -l <"$work/connections" || echo 0)"
record "start: sets the clock (stand-in)" "$( [ -f "$work/setter.log" ] && wc -l <"$work/setter.log" || echo 0)"
record "start: writes TimeCheck.lst" "$( [ -f "$work/app/TimeCheck.lst" ] && echo 1 || echo 0)"

echo
printf '%-36s %s\n' moment fired
failed=0
for r in "${results[@]}"; do
  printf '%-36s %s\n' "${r%%|*}" "${r##*|}"
  [ "${r##*|}" = 1 ] || failed=$((failed + 1))
done
if [ "$failed" -eq 0 ]; then echo "moments: passed"; else
  echo "moments: FAILED ($failed not exactly once)"
  tail -20 "$work/clock.log"
  exit 1
fi
