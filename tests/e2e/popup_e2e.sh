#!/usr/bin/env bash
# The message chime on a virtual display: with AlarmType 3 the full hour starts PopupMsg, whose
# popup shows "时钟报时：" with the time at the bottom-right corner and closes by itself after
# AutoSec seconds; closing the bar ends PopupMsg.
source "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8

SHOT="${TOBU_POPUP_SHOT:-/tmp/tobu-popup-e2e.png}"

printf '[CLOCK]\r\nAlarm=1\r\nAlarmType=3\r\n[MSG]\r\nAuto=1\r\nAutoSec=5\r\nCalendarLX=0\r\n[BAR]\r\nDefWin=0\r\n' \
  >"$APP/skin.ini"

popup_pid() { pgrep -f "^$APP/PopupMsg " | head -n 1; }
popup_running() { [ -n "$(popup_pid)" ]; }
# The ids of the popup program's mapped windows.
popup_windows() {
  local pid id
  pid=$(popup_pid)
  [ -n "$pid" ] || return 0
  for id in $(xdotool search --pid "$pid" 2>/dev/null); do
    if xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then echo "$id"; fi
  done
}
popup_shown() { [ -n "$(popup_windows)" ]; }
popup_closed() { [ -z "$(popup_windows)" ]; }
# "X Y W H" of the first popup window.
popup_geometry() {
  local id
  id=$(popup_windows | head -n 1)
  # Without an id xwininfo would wait for a click.
  [ -n "$id" ] || { echo "0 0 0 0"; return; }
  xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
at_bottom_right() {
  local x y w h
  read -r x y w h <<<"$(popup_geometry)"
  [ "$w" = 300 ] && [ $((x + w)) -eq 1270 ] && [ $((y + h)) -eq 758 ]
}
popup_title_has() {
  local id
  for id in $(popup_windows); do
    xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q -- "$1" && return 0
  done
  return 1
}

FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@2024-02-10 13:59:55" "$APP/TobuClock" \
  >"$WORK/clock.log" 2>&1 &
PIDS+=($!)
check "the bar appears" wait_for 10 bar_count_is 1
# faketime runs the program as its child: address the program itself.
CLOCK=$(pgrep -f "^$APP/TobuClock" | head -n 1)
PIDS+=($CLOCK)
check "no popup program before the full hour" bash -c "! pgrep -f '^$APP/PopupMsg ' >/dev/null"

check "the full hour starts PopupMsg" wait_for 15 popup_running
POPUP=$(popup_pid)
[ -n "$POPUP" ] && PIDS+=($POPUP)
check "PopupMsg got the bar's handle as its only argument" \
  bash -c "tr '\0' ' ' </proc/$POPUP/cmdline | grep -Eq '^$APP/PopupMsg [0-9]+ \$'"
check "a popup window shows" wait_for 5 popup_shown
check "it says 时钟报时：14:00:00" popup_title_has "时钟报时：14:00:00"
check "it sits 10 px from the bottom-right corner, 300 px wide" at_bottom_right
sleep 0.5
import -window root "$SHOT" 2>/dev/null && echo "screenshot: $SHOT"
sleep 2
check "it is still there 3 s later" popup_shown
check "it closes by itself after AutoSec (5 s)" wait_for 5 popup_closed
check "PopupMsg keeps running while the bar runs" kill -0 "$POPUP"

kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"
check "closing the bar ends PopupMsg" wait_for 5 process_gone "$POPUP"
[ "$failures" -eq 0 ] || dump_log
finish
