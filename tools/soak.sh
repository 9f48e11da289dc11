#!/usr/bin/env bash
# The soak run (by hand, not in CI): the clock runs under libfaketime at 60 times the real
# speed, so MINUTES real minutes (default 20) are MINUTES hours of clock time, across midnight.
# Its tasks (War.lst: a sound task for every second, so one fires on every tick) and date marks
# (Marks.rec, on the start day and the next) are loaded, the hourly chimes are on and the
# day's marks are announced every real minute. After every sample the companion window
# switches between the analog clock and the calendar through the bar's menu, so both are
# opened and closed again and again.
#
# Every minute (at half past each clock hour) the clock's VmRSS, open file descriptors and
# threads are sampled. It passes when the clock is alive at the end, its descriptors and threads
# stay what they were after warm-up (samples with the clock window open and with the calendar
# open are each compared with their own), VmRSS grew by at most 2 MB since then, and half an
# hour after midnight the date line and the calendar (open since before midnight) look exactly
# as a clock started on the new day shows them.
#
# Warm-up is the first six minutes, in which every periodic job of the clock has run once: the
# announcement feed's first download comes 5 minutes after start and pages in about 2.3 MB of
# libcurl's and OpenSSL's code (file-backed, shared), which the anonymous memory does not show.
#
#   tools/soak.sh [MINUTES] [START]     START default "2024-02-10 14:00:00" (a Saturday)
#
# BUILD names the build folder (default: build). Needs Xvfb, xdotool, ImageMagick and faketime
# (tools/install-deps.sh --test); runs on its own virtual display, with a private copy of the
# program folder, and talks to no server.
set -euo pipefail
minutes="${1:-20}"
start="${2:-2024-02-10 14:00:00}"
root=$(cd "$(dirname "$0")/.." && pwd)
stage="${BUILD:-$root/build}/TobuClock"
[ -x "$stage/TobuClock" ] || { echo "soak.sh: build first ($stage/TobuClock is missing)" >&2; exit 2; }
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1

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
# The bar at (200, 0); its companion docks under it at (200, 34).
{
  tr -d '\r' <"$root/data/skin.ini"
  printf '[BAR]\nLeft=200\nTop=0\nDefWin=%s\n[CLOCK]\nAlarm=1\nHalfAlarm=1\nAlarmType=1\n' "${DEFWIN:-1}"
  printf '[MSG]\nAuto=1\nAutoSec=20\nCalendarLX=%s\nCalendarStep=1\n' "${CALENDARLX:-2}"
} | sed 's/$/\r/' >"$work/app/skin.ini"
start_s=$(date -d "$start" +%s)
day1=$(date -d "@$start_s" +%m%d) day2=$(date -d "@$((start_s + 86400))" +%m%d)
printf '0%s=浸泡测试第一天\r\n0%s=浸泡测试第二天\r\n10101=春节\r\n' "$day1" "$day2" |
  iconv -f UTF-8 -t GBK >"$work/app/Marks.rec"
# At 60 times the speed every tick lands on the same second of the minute: with one task per
# second one of them fires on every tick and hands the player a sound.
for s in $(seq 0 59); do
  printf '*0%02d秒\r\n2播放 (%s)\r\n' "$s" "$work/app/Sound/Z1.wav"
done | iconv -f UTF-8 -t GBK >"$work/app/War.lst"
cp -r "$work/app" "$work/ref"
sed -i 's/^DefWin=.*/DefWin=0\r/; s/^CalendarLX=.*/CalendarLX=0\r/' "$work/ref/skin.ini"

. "$(dirname "$0")/xvfb.sh"
start_xvfb
pids+=("$XVFB_PID")

unset QT_QPA_PLATFORM
export TOBU_RUNTIME_DIR="$work/run" XDG_RUNTIME_DIR="$work/run"
export SDL_AUDIODRIVER=dummy FAKETIME_DONT_FAKE_MONOTONIC=1 TOBU_SERVER="http://127.0.0.1:9"

# The bar's menu opens under its button; its rows "时钟" and "日历" switch the companion.
menu_mode() {  # menu_mode clock|calendar
  local y=67
  [ "$1" = calendar ] && y=89
  xdotool mousemove 220 15 click 1 sleep 0.8 mousemove 280 "$y" sleep 0.2 click 1 sleep 0.3 \
    mousemove 1000 700
}
# The date line (right of the LED, under the minimise button) and the whole calendar window.
shoot() {  # shoot NAME: NAME-date.png and NAME-cal.png in the work folder
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop 156x22+376+11 +repage "$work/$1-date.png"
  convert "$work/screen.png" -crop 332x390+200+34 +repage "$work/$1-cal.png"
}
same_picture() {  # same_picture A B: no pixel differs
  [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = 0 ]
}

# The reference: a clock started three seconds before midnight at the real speed, whose
# calendar is first opened after midnight, shows the new date on its date line and "今天" on the
# new day, with the start day still selected.
midnight_s=$(date -d "$(date -d "@$((start_s + 86400))" +%F)" +%s)
ref_start=$(date -d "@$((midnight_s - 3))" '+%F %T')
TOBU_INSTANCE_NAME="tobu-soak-ref-$$" LD_PRELOAD="$faketime_lib" FAKETIME="@$ref_start" \
  "$work/ref/TobuClock" >"$work/ref.log" 2>&1 &
ref=$!
pids+=($ref)
sleep 6
menu_mode calendar
sleep 4
shoot ref
kill "$ref"
sleep 1

# The library itself rather than the faketime wrapper, so that $! is the clock's process.
TOBU_INSTANCE_NAME="tobu-soak-$$" LD_PRELOAD="$faketime_lib" FAKETIME="@$start x60" \
  "$work/app/TobuClock" >"$work/clock.log" 2>&1 &
clock=$!
t0=$SECONDS
pids+=($clock)

# The date is checked at the first sample at least ten clock minutes after midnight; the
# calendar is opened at the sample before it and stays open across midnight.
mid_m=$(((midnight_s + 600 - start_s - 1800 + 3599) / 3600))
[ "$mid_m" -ge 0 ] || mid_m=0
field() { awk -v k="$1:" '$1 == k {print $2}' "/proc/$clock/status"; }
# Resident kB by mapping (anonymous memory as "[anon]"), for telling what grew.
by_mapping() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6 ? $6 : "[anon]") }
       /^Rss:/ { kb[name] += $2 } END { for (n in kb) print n, kb[n] }' "/proc/$clock/smaps" |
    sort >"$1"
}
grown() {  # grown BEFORE AFTER: the mappings that grew most
  join -a 2 -e 0 -o 0,1.2,2.2 "$1" "$2" | awk '$3 - $2 > 0 { print $3 - $2, $1 }' |
    sort -rn | head -5 | awk '{ printf "soak:   +%s kB %s\n", $1, $2 }'
}
printf '%-6s %-20s %-9s %10s %10s %10s %5s %8s\n' minute "clock time" companion "VmRSS kB" \
  "anon kB" "file kB" fds threads
declare -A base_rss base_fds base_threads base_map
warmup=6
ok=1 date_checked=0 companion=clock
for m in $(seq 0 "$minutes"); do
  # Half past each clock hour: 30 s after the start, then every 60 s.
  wait_s=$((t0 + 30 + 60 * m - SECONDS))
  [ "$wait_s" -le 0 ] || sleep "$wait_s"
  if ! kill -0 "$clock" 2>/dev/null; then echo "soak: the clock ended at minute $m"; ok=0; break; fi
  rss=$(field VmRSS) threads=$(field Threads) fds=$(ls "/proc/$clock/fd" | wc -l)
  anon=$(field RssAnon) file=$(field RssFile)
  by_mapping "$work/map-$m.txt"
  now=$(date -d "@$((start_s + m * 3600 + 1800))" '+%F %T')
  printf '%-6s %-20s %-9s %10s %10s %10s %5s %8s\n' "$m" "$now" "$companion" "$rss" "$anon" \
    "$file" "$fds" "$threads"
  if [ "$m" -eq $((warmup - 1)) ] || [ "$m" -eq "$warmup" ]; then
    base_map[$companion]="$work/map-$m.txt"
    base_rss[$companion]=$rss base_fds[$companion]=$fds base_threads[$companion]=$threads
  elif [ "$m" -gt "$warmup" ]; then
    [ "$fds" -eq "${base_fds[$companion]}" ] ||
      { echo "soak: descriptors ${base_fds[$companion]} -> $fds"; ok=0; }
    [ "$threads" -eq "${base_threads[$companion]}" ] ||
      { echo "soak: threads ${base_threads[$companion]} -> $threads"; ok=0; }
    [ $((rss - base_rss[$companion])) -le 2048 ] || {
      echo "soak: VmRSS grew by $((rss - base_rss[$companion])) kB; most since warm-up:"
      grown "${base_map[$companion]}" "$work/map-$m.txt"
      ok=0
    }
  fi
  if [ "$m" -eq "$mid_m" ]; then
    date_checked=1
    shoot soak
    if same_picture "$work/soak-date.png" "$work/ref-date.png"; then
      echo "soak: after midnight the date line shows the new date"
    else
      echo "soak: after midnight the date line differs from a clock started on the new day"; ok=0
    fi
    if [ "$companion" != calendar ]; then
      echo "soak: the calendar was not open at midnight"; ok=0
    elif same_picture "$work/soak-cal.png" "$work/ref-cal.png"; then
      echo "soak: after midnight the open calendar shows 今天 on the new day"
    else
      echo "soak: after midnight the open calendar differs from one opened on the new day"; ok=0
    fi
    [ "$ok" -eq 1 ] || cp "$work"/*-date.png "$work"/*-cal.png /tmp/ 2>/dev/null || true
  fi
  if [ $(((mid_m - m) % 2)) -ne 0 ]; then next=calendar; else next=clock; fi
  if [ "$next" != "$companion" ] && [ "$m" -lt "$minutes" ]; then
    companion=$next
    menu_mode "$companion"
  fi
done
[ "$date_checked" -eq 1 ] || echo "soak: the run ended before midnight; the date was not checked"
if [ "$ok" -eq 1 ]; then echo "soak: passed"; else echo "soak: FAILED"; tail -20 "$work/clock.log"; exit 1; fi
