#!/usr/bin/env bash
# Real drags of the bar near each screen edge: within 14 pixels it lands flush against the
# edge, at 15 it stays where it is dropped. Once without a window manager and once under
# openbox; the snapped place is in skin.ini about 2 seconds later.
source "$(dirname "$0")/lib.sh"

W=1280
H=768
GRAB_X=150 # a point on the bar's background
GRAB_Y=25

# The bar's own 332 x 34 window among the program's windows.
bar_client() {
  local id
  for id in $(xdotool search --pid "$CLOCK" 2>/dev/null); do
    if xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable" &&
      xwininfo -id "$id" 2>/dev/null | grep -q "Width: 332" &&
      xwininfo -id "$id" 2>/dev/null | grep -q "Height: 34"; then
      echo "$id"
      return
    fi
  done
}
# "X Y" of the bar's outer edge (a window manager's border, if any, included).
bar_where() {
  local id ext
  id=$(bar_client)
  if [ -z "$id" ]; then echo none; return; fi
  ext=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
  xwininfo -id "$id" 2>/dev/null | awk -v ext="${ext:-0,0,0,0}" '
    BEGIN { split(ext, e, ",") }
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    END { print x - e[1], y - e[3] }'
}
bar_shown() { [ -n "$(bar_client)" ]; }
where_is() { [ "$(bar_where)" = "$1 $2" ]; }

# Drags the bar by its background so that, unsnapped, its corner would land on (X, Y).
drag_to() {
  local x y
  read -r x y < <(bar_where)
  xdotool mousemove $((x + GRAB_X)) $((y + GRAB_Y)) sleep 0.2 mousedown 1 sleep 0.2 \
    mousemove $(((x + $1) / 2 + GRAB_X)) $(((y + $2) / 2 + GRAB_Y)) sleep 0.2 \
    mousemove $(($1 + GRAB_X)) $(($2 + GRAB_Y)) sleep 0.2 mouseup 1
  sleep 0.3
}

snap_cases() {  # snap_cases LABEL
  local label="$1"
  drag_to 400 300
  check "$label: the bar is dragged to (400, 300)" wait_for 3 where_is 400 300
  drag_to 14 300
  check "$label: 14 px from the left edge snaps flush" wait_for 3 where_is 0 300
  drag_to 15 300
  check "$label: 15 px from the left edge stays" wait_for 3 where_is 15 300
  drag_to $((W - 332 - 14)) 300
  check "$label: 14 px from the right edge snaps flush" wait_for 3 where_is $((W - 332)) 300
  drag_to $((W - 332 - 15)) 300
  check "$label: 15 px from the right edge stays" wait_for 3 where_is $((W - 332 - 15)) 300
  drag_to 500 14
  check "$label: 14 px from the top edge snaps flush" wait_for 3 where_is 500 0
  drag_to 500 15
  check "$label: 15 px from the top edge stays" wait_for 3 where_is 500 15
  drag_to 500 $((H - 34 - 15))
  check "$label: 15 px from the bottom edge stays" wait_for 3 where_is 500 $((H - 34 - 15))
  drag_to 500 $((H - 34 - 14))
  check "$label: 14 px from the bottom edge snaps flush" wait_for 3 where_is 500 $((H - 34))
  check "$label: skin.ini holds the snapped place" wait_for 4 bash -c \
    "grep -q '^Left=500' '$APP/skin.ini' 2>/dev/null && grep -q '^Top=$((H - 34))' '$APP/skin.ini'"
}

start_clock
check "the bar appears" wait_for 10 bar_shown
wait_for 10 where_is 948 0 >/dev/null
snap_cases "no window manager"
kill -TERM "$CLOCK"
check "the first run ends" wait_for 5 process_gone "$CLOCK"

openbox >"$WORK/openbox.log" 2>&1 &
PIDS+=($!)
wait_for 5 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
start_clock
check "the bar appears under openbox" wait_for 10 bar_shown
wait_for 10 where_is 500 $((H - 34)) >/dev/null
snap_cases "openbox"
kill -TERM "$CLOCK"
wait_for 5 process_gone "$CLOCK" >/dev/null
[ "$failures" -eq 0 ] || dump_log
finish
