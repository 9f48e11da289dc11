#!/usr/bin/env bash
# The calendar window on a virtual display: DefWin 2 opens it 332 x 390 under the bar at the
# top and above the bar in the lower half of the screen; under libfaketime today's cell says
# "今天" in green; a mark added through the context menu and the editor is drawn in the grid
# and written to Marks.rec.
source "$(dirname "$0")/lib.sh"

export FAKETIME_DONT_FAKE_MONOTONIC=1
FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n1)

calendar_at() { xwininfo -root -children 2>/dev/null | grep -q "\"日历\".* 332x390+$1+$2 "; }
# Pixels of exactly the colour (R,G,B) in a rectangle of the screen.
count_colour() { # X Y W H #RRGGBB
  import -window root -crop "$3x$4+$1+$2" +repage -depth 8 txt:- 2>/dev/null |
    grep -c "$5"
}

start_at() { # LEFT TOP
  printf '[BAR]\r\nDefWin=2\r\nLeft=%s\r\nTop=%s\r\n[MSG]\r\nCalendarLX=0\r\n' "$1" "$2" >"$APP/skin.ini"
  LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2024-02-10 13:59:52" start_clock
}

start_at 100 0
check "the bar appears" wait_for 10 bar_count_is 1
check "DefWin 2 opens the calendar under the bar at (100, 34), 332 x 390" wait_for 6 calendar_at 100 34
sleep 1
# 2024-02-10 is cell 13 (row 1, column 6): the grid stands at (3, 43), the header is 38 high.
CX=$((100 + 3 + 6 * 46)); CY=$((34 + 43 + 38 + 38))
check "today's cell says 今天 in green" [ "$(count_colour $CX $CY 46 38 "#008000")" -gt 10 ]
check "no mark on today's cell yet" [ "$(count_colour $CX $CY 46 38 "#FC6E04")" -eq 0 ]

# Right click on the cell, "标记当日", a note, Enter.
base=$(clock_windows)
xdotool mousemove $((CX + 20)) $((CY + 10)) click 3
wait_for 5 windows_above "$base"
sleep 0.1
xdotool key Down Return
# The menu goes and the note dialog comes.
sleep 0.3
wait_for 5 windows_above "$base"
sleep 0.3
xdotool type --delay 50 "party"
xdotool key Return
check "Marks.rec holds the new mark with CR LF" wait_for 4 bash -c "[ \"\$(cat '$APP/Marks.rec' 2>/dev/null)\" = \"\$(printf '00210=party\r')\" ]"
sleep 0.5
check "the grid draws the mark picture on the day" [ "$(count_colour $CX $CY 46 38 "#FC6E04")" -gt 0 ]
kill -TERM "$CLOCK"
check "the program ends" wait_for 5 process_gone "$CLOCK"

start_at 100 600
check "in the lower half the calendar opens above the bar (bottom at 600)" wait_for 10 calendar_at 100 210
# Ending while the window is still being shown ends cleanly.
kill -TERM "$CLOCK"
wait "$CLOCK"
check "the program ends without a crash" [ $? -eq 0 ]
finish
