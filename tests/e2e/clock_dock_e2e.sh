#!/usr/bin/env bash
# The analog clock docked to the real bar, once without a window manager and once under
# openbox: real drags of the bar snap it to the edges and carry the docked clock; a clock
# dragged 30 px away stays behind and clicks back within 14 px; the tray and a stay-on-top
# switch keep it following; skin.ini holds both places 2 s after a move, and SIGTERM writes
# CHILD Index 2 with the clock's place.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/clock_lib.sh"
unset DBUS_SESSION_BUS_ADDRESS # the tray icon goes to the XEmbed tray that trayer hosts

dock_cases() {  # dock_cases MODE
  local m="$1"
  write_ini '[BAR]' 'Left=0' 'Top=0'
  start_clock
  check "$m: bar at (0, 0), clock docked under it" wait_for 10 both_at 0 0 0 34
  drag_bar 400 14
  check "$m: 14 px from the top snaps the bar flush, the clock comes along" \
    wait_for 3 both_at 400 0 400 34
  drag_bar 14 200
  check "$m: 14 px from the left edge, the clock comes along" wait_for 3 both_at 0 200 0 234
  drag_bar $((W - 332 - 14)) 300
  check "$m: 14 px from the right edge, the clock comes along" \
    wait_for 3 both_at $((W - 332)) 300 $((W - 332)) 334
  drag_bar 600 15
  check "$m: 15 px from the top stays, the clock keeps its offset" \
    wait_for 3 both_at 600 15 600 49
  check "$m: skin.ini holds the bar's and the clock's place about 2 s later" \
    wait_for 4 saved_places_are 600 15 600 49

  drag_clock 600 79
  check "$m: the clock dragged 30 px away stays there" wait_for 3 clock_at 600 79
  drag_bar 300 400
  check "$m: the bar moves without the undocked clock" wait_for 3 both_at 300 400 600 79
  check "$m: skin.ini holds the undocked clock's place" wait_for 4 saved_places_are 300 400 600 79
  drag_clock 310 444
  check "$m: the clock dragged within 14 px clicks under the bar" wait_for 3 clock_at 300 434
  drag_bar 500 300
  check "$m: the re-docked clock follows the bar again" wait_for 3 both_at 500 300 500 334

  # To the tray and back (under openbox trayer hosts the tray; without a window manager
  # the bar minimises as a window): the clock goes and comes with the bar, and still follows.
  if [ "$m" = openbox ]; then
    trayer --edge bottom --align right --widthtype pixel --width 100 --height 24 \
      >"$WORK/trayer.log" 2>&1 &
    PIDS+=($!)
    wait_for 5 bash -c "xdotool search --name '^panel$' >/dev/null 2>&1"
    sleep 1
  fi
  xdotool mousemove --window "$(bar_win)" 309 5 click 1
  check "$m: 最小化 takes the clock away with the bar" wait_for 5 clock_hidden
  check "$m: a second start restores" second_start
  check "$m: the clock is back where it was" wait_for 5 both_at 500 300 500 334
  drag_bar 200 250
  check "$m: after the tray the clock follows the bar" wait_for 3 both_at 200 250 200 284

  # Stay on top re-creates the bar's window; the docked clock keeps following.
  check "$m: the place is saved before the settings are applied again" \
    wait_for 4 saved_places_are 200 250 200 284
  set_on_top 1
  if [ "$m" = openbox ]; then check "$m: the bar stays on top" wait_for 5 bar_above; fi
  check "$m: switching on-top leaves both in place" wait_for 5 both_at 200 250 200 284
  drag_bar 450 350
  check "$m: after switching on-top the clock follows the bar" \
    wait_for 3 both_at 450 350 450 384
  check "$m: saved again" wait_for 4 saved_places_are 450 350 450 384
  set_on_top 0
  sleep 1
  drag_bar 100 100
  check "$m: after switching on-top off the clock follows the bar" \
    wait_for 3 both_at 100 100 100 134

  # Bar in the lower half: the clock goes above it, and rides to the bottom edge on top of it.
  drag_clock 700 500
  check "$m: the clock undocked again" wait_for 3 clock_at 700 500
  drag_bar 0 600
  drag_clock 10 430
  check "$m: the clock dragged onto the bar's top edge docks above it" \
    wait_for 3 clock_at 0 $((600 - FACE))
  drag_bar 14 $((H - 34 - 14))
  check "$m: 14 px from the bottom-left corner snaps, the clock rides above" \
    wait_for 3 both_at 0 $((H - 34)) 0 $((H - 34 - FACE))

  # SIGTERM with the clock open writes the mode and where both stand.
  sleep 2.5
  rm -f "$APP/skin.ini"
  kill -TERM "$CLOCK"
  check "$m: SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"
  check "$m: SIGTERM writes CHILD Index=2" ini_is CHILD Index 2
  check "$m: SIGTERM writes the places" saved_places_are 0 $((H - 34)) 0 $((H - 34 - FACE))
}

dock_cases "no window manager"
start_openbox
dock_cases openbox

[ "$failures" -eq 0 ] || dump_log
finish
