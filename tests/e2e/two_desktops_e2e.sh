#!/usr/bin/env bash
# One user on two desktops: two displays with a window manager each, one clock on each, both
# from the same program folder and the same runtime folder. Each desktop keeps its own clock:
# a second start restores the bar of its own desktop only, and each clock's popup program shows
# on its clock's desktop. `tobu config set` reaches every clock that works from the skin.ini it
# wrote, on either desktop, so the other clock neither shows the old values nor writes them
# back at exit.
. "$(dirname "$0")/lib.sh"
D1=$DISPLAY
start_xvfb || exit 1
PIDS+=("$XVFB_PID")
D2=$DISPLAY
export DISPLAY=$D1
for d in "$D1" "$D2"; do
  DISPLAY=$d openbox >"$WORK/openbox${d#:}.log" 2>&1 &
  PIDS+=($!)
  DISPLAY=$d wait_for 5 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
done

printf '[BAR]\r\nTr=200\r\nDefWin=0\r\n[MSG]\r\nCalendarLX=1\r\nAuto=1\r\nAutoSec=60\r\n' >"$APP/skin.ini"
printf '0%s=mark\r\n' "$(date +%m%d)" >"$APP/Marks.rec"

# on DISPLAY COMMAND...: the command on that desktop.
on() { local d=$1; shift; DISPLAY=$d "$@"; }
# The bar's own window among the windows of clock PID on $DISPLAY.
bar_of() {
  local id
  for id in $(xdotool search --pid "$1" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q "Width: 332" &&
      xwininfo -id "$id" 2>/dev/null | grep -q "Height: 34" && { echo "$id"; return; }
  done
}
shown() {  # PID: the bar is mapped with WM_STATE Normal (openbox sets it before it maps)
  local id
  id=$(bar_of "$1")
  [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable &&
    xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state: Normal'
}
hidden() { local id; id=$(bar_of "$1"); [ -n "$id" ] && ! xwininfo -id "$id" | grep -q IsViewable; }
opacity() { xprop -id "$(bar_of "$1")" _NET_WM_WINDOW_OPACITY 2>/dev/null | awk '{print $NF}'; }
# Viewable windows of the popup programs on $DISPLAY.
popups() {
  local pid id
  for pid in $(pgrep -f "^$APP/PopupMsg "); do
    for id in $(xdotool search --pid "$pid" 2>/dev/null); do
      xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && echo "$id"
    done
  done | wc -l
}
popups_are() { [ "$(popups)" -eq "$1" ]; }
second_start() {  # DISPLAY: a second start there exits at once
  DISPLAY=$1 "$APP/TobuClock" >"$WORK/second.log" 2>&1 &
  local pid=$!
  PIDS+=($pid)
  wait_for 5 process_gone "$pid"
}

DISPLAY=$D1 "$APP/TobuClock" >"$WORK/clock1.log" 2>&1 &
C1=$!
PIDS+=($C1)
check "the first desktop's bar appears" on "$D1" wait_for 10 shown "$C1"
DISPLAY=$D2 "$APP/TobuClock" >"$WORK/clock2.log" 2>&1 &
C2=$!
PIDS+=($C2)
check "the second desktop gets a clock of its own" on "$D2" wait_for 10 shown "$C2"
check "both clocks run" kill -0 "$C1" "$C2"

check "each clock's mark message shows on its desktop: first" on "$D1" wait_for 10 popups_are 1
check "second" on "$D2" wait_for 10 popups_are 1

# 最小化 (no tray: the bars are iconified); a second start brings back its own desktop's bar.
for d in "$D1" "$D2"; do
  c=$([ "$d" = "$D1" ] && echo "$C1" || echo "$C2")
  on "$d" xdotool mousemove --window "$(on "$d" bar_of "$c")" 309 5 click 1
  check "最小化 on $d hides the bar" on "$d" wait_for 5 hidden "$c"
done
check "a second start on the first desktop exits" second_start "$D1"
check "and brings back the first desktop's bar" on "$D1" wait_for 5 shown "$C1"
check "not the other desktop's" on "$D2" hidden "$C2"
check "a second start on the second desktop exits" second_start "$D2"
check "and brings back its bar" on "$D2" wait_for 5 shown "$C2"

# A live change from the first desktop reaches both clocks of this skin.ini.
opacity_is_not() { [ "$(opacity "$1")" != "$2" ]; }
before1=$(on "$D1" opacity "$C1")
before2=$(on "$D2" opacity "$C2")
on "$D1" "$APP/tobu" config set --json BAR.Tr 100 >"$WORK/set.json"
check "tobu config set is applied" grep -q '"applied": true' "$WORK/set.json"
check "the first desktop's bar takes it" on "$D1" wait_for 3 opacity_is_not "$C1" "$before1"
check "the second desktop's bar takes it too" on "$D2" wait_for 3 opacity_is_not "$C2" "$before2"
kill -TERM "$C2"
check "the second clock exits at SIGTERM" wait_for 5 process_gone "$C2"
check "without writing its old Tr back" grep -q '^Tr=100' "$APP/skin.ini"
kill -TERM "$C1"
check "the first clock exits at SIGTERM" wait_for 5 process_gone "$C1"
finish
