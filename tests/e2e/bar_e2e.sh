#!/usr/bin/env bash
# The real bar on a virtual display: where it opens, one instance per desktop, dragging,
# saving at SIGTERM, and a start after a killed instance. The shipped settings open the analog
# clock (DefWin 1); the first clock ever stands at the screen's left edge under the bar's row.
source "$(dirname "$0")/lib.sh"

start_clock
check "the bar appears" wait_for 10 bar_count_is 1
check "a 332 x 34 bar at the top-right corner (948, 0)" bar_at 948 0
clock_at() { xwininfo -root -children 2>/dev/null | grep -q "\"Clock_BK\".* 160x160+$1+$2 "; }
check "the clock opens at (0, 34), 160 x 160" wait_for 5 clock_at 0 34

# A second start restores the first and ends; there is still one bar.
"$APP/TobuClock" >"$WORK/second.log" 2>&1 &
second=$!
PIDS+=($second)
check "a second start exits within a few seconds" wait_for 5 process_gone "$second"
check "the first bar stays the only bar" bar_count_is 1
check "the first instance still runs" kill -0 "$CLOCK"

# Drag the bar by its background; the new place is in skin.ini within about 2 seconds.
xdotool mousemove 1100 25 mousedown 1 sleep 0.2 mousemove 1000 125 sleep 0.2 mousemove 900 225 \
  sleep 0.2 mouseup 1
check "the bar followed the mouse" wait_for 3 bar_at 748 200
check "the dragged position is saved" wait_for 4 bash -c "grep -q '^Left=748' '$APP/skin.ini' 2>/dev/null && grep -q '^Top=200' '$APP/skin.ini'"

check "the bar is still running after the drag" kill -0 "$CLOCK" || dump_log
# SIGTERM closes in order and writes the bar's state.
rm -f "$APP/skin.ini"
kill -TERM "$CLOCK"
check "SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"
for key in '^\[BAR\]' '^Left=748' '^Top=200' '^Tr=200' '^\[CHILD\]' '^Index=2' '^Left=0' '^Top=34'; do
  check "state written at SIGTERM: $key" ini_has "$key"
done

# A killed instance leaves its slot behind; the next start still works.
start_clock
check "the restarted bar appears where it was left" wait_for 10 bar_at 748 200
kill -KILL "$CLOCK"
sleep 0.5
start_clock
check "a start after SIGKILL shows the bar" wait_for 10 bar_count_is 1
kill -TERM "$CLOCK"
finish
