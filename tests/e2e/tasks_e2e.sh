#!/usr/bin/env bash
# Scheduled tasks on a virtual display under libfaketime: a message task starts PopupMsg and
# shows its text; a "关机" task opens the countdown while the bar keeps ticking, and Esc closes
# it with no power-off; a second one runs out and the stand-in power-off runs once, about ten
# seconds later. TOBU_POWEROFF_COMMAND stands in for the real power-off throughout.
source "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8

MARKER="$WORK/powered-off"
export TOBU_POWEROFF_COMMAND="echo x >>'$MARKER'"
export SDL_AUDIODRIVER=dummy

printf '[MSG]\r\nAuto=1\r\nAutoSec=20\r\nCalendarLX=0\r\n[BAR]\r\nDefWin=0\r\n' >"$APP/skin.ini"
printf '*014时00分00秒\r\n3消息 (定时任务测试)\r\n*014时00分03秒\r\n4执行 (关机)\r\n*014时00分20秒\r\n2播放 (%s)\r\n4执行 (关机)\r\n' \
  "$APP/MySound/none.wav" | iconv -f UTF-8 -t GBK >"$APP/War.lst"
cp "$APP/War.lst" "$WORK/War.lst.before"

popup_pid() { pgrep -f "^$APP/PopupMsg " | head -n 1; }
popup_title_has() {
  local pid id
  pid=$(popup_pid)
  [ -n "$pid" ] || return 1
  for id in $(xdotool search --pid "$pid" 2>/dev/null); do
    xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q -- "$1" && return 0
  done
  return 1
}
countdown_ids() {
  for id in $(xdotool search --name "定时任务：自动关机" 2>/dev/null); do
    if xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then echo "$id"; fi
  done
}
countdown_open() { [ -n "$(countdown_ids)" ]; }
countdown_closed() { [ -z "$(countdown_ids)" ]; }
bar_picture() { import -window "$(bar_ids | head -n 1)" rgb:- 2>/dev/null | md5sum; }
bar_ticks() {
  local a b
  a=$(bar_picture)
  sleep 1.2
  b=$(bar_picture)
  [ "$a" != "$b" ]
}
marker_lines() { if [ -f "$MARKER" ]; then wc -l <"$MARKER"; else echo 0; fi; }

FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@2024-02-10 13:59:56" "$APP/TobuClock" \
  >"$WORK/clock.log" 2>&1 &
PIDS+=($!)
check "the bar appears" wait_for 10 bar_count_is 1
CLOCK=$(pgrep -f "^$APP/TobuClock" | head -n 1)
PIDS+=($CLOCK)

check "the message task starts PopupMsg and shows its text" wait_for 20 popup_title_has "定时任务测试"
POPUP=$(popup_pid)
[ -n "$POPUP" ] && PIDS+=($POPUP)

check "the 关机 task opens the countdown" wait_for 8 countdown_open
ID=$(countdown_ids | head -n 1)
check "the countdown stands at (360, 273) with its client area 312 x 156" \
  bash -c "xwininfo -id $ID | grep -q 'geometry 312x156+360+273'"
xdotool windowfocus --sync "$ID" 2>/dev/null
xdotool key --clearmodifiers Escape
check "Esc closes the countdown" wait_for 3 countdown_closed
sleep 11
check "a cancelled countdown powers nothing off" [ "$(marker_lines)" -eq 0 ]

check "the next 关机 task opens a countdown" wait_for 15 countdown_open
T0=$SECONDS
check "the bar keeps ticking while the countdown is open" bar_ticks
check "the stand-in power-off runs when it runs out" wait_for 15 [ -f "$MARKER" ]
ELAPSED=$((SECONDS - T0))
check "about ten seconds after it opened (${ELAPSED} s)" test "$ELAPSED" -ge 7 -a "$ELAPSED" -le 14
check "the countdown is gone" countdown_closed
sleep 2
check "the power-off ran once" [ "$(marker_lines)" -eq 1 ]
check "the clock still runs" kill -0 "$CLOCK"
check "War.lst is untouched by running tasks" cmp -s "$APP/War.lst" "$WORK/War.lst.before"

kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"
[ "$failures" -eq 0 ] || dump_log
finish
