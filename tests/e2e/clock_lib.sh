# The analog clock's end-to-end checks (sourced after lib.sh): helpers for the bar's and the
# clock's windows and places, drags by the mouse, skin.ini by section and a message to the bar,
# and the two families of cases, each run without a window manager and under openbox by the
# clock_*_e2e.sh scripts.
W=1280
H=768
FACE=160 # the shipped Classic face
BASE_INI=$(tr -d '\r' <"$STAGE/skin.ini")

# The clock's viewable window of exactly WxH whose name matches, none when there is none.
window_of() {  # window_of NAME-REGEX WIDTH HEIGHT
  local id
  for id in $(xdotool search --all --pid "$CLOCK" --name "$1" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable" &&
      xwininfo -id "$id" 2>/dev/null | grep -q "Width: $2\$" &&
      xwininfo -id "$id" 2>/dev/null | grep -q "Height: $3\$" && { echo "$id"; return; }
  done
}
bar_win() { window_of '.*' 332 34; }
clock_win() { window_of '^Clock_BK$' "$FACE" "$FACE"; }
where() {  # "X Y" of a window's outer corner, "none" without it
  local id="$1" ext
  [ -n "$id" ] || { echo none; return; }
  ext=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
  xwininfo -id "$id" 2>/dev/null | awk -v ext="${ext:-0,0,0,0}" '
    BEGIN { split(ext, e, ",") }
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    END { print x - e[1], y - e[3] }'
}
bar_where() { where "$(bar_win)"; }
clock_where() { where "$(clock_win)"; }
both_at() {  # both_at BAR-X BAR-Y CLOCK-X CLOCK-Y
  [ "$(bar_where)" = "$1 $2" ] && [ "$(clock_where)" = "$3 $4" ]
}
clock_at() { [ "$(clock_where)" = "$1 $2" ]; }
clock_hidden() { [ -z "$(clock_win)" ]; }
bar_shown() { [ -n "$(bar_win)" ]; }
# check, and on a failure say where both windows are.
check_at() {  # check_at LABEL COMMAND...
  local before=$failures
  check "$@"
  [ "$failures" -eq "$before" ] || echo "  the bar is at $(bar_where), the clock at $(clock_where)"
}

# Drags a window by the point (GX, GY) inside it so that, unsnapped, its corner lands on (X, Y).
drag() {  # drag WHERE-FUNCTION GX GY X Y
  local x y
  read -r x y < <("$1")
  [[ "$x" =~ ^-?[0-9]+$ && "$y" =~ ^-?[0-9]+$ ]] || return 1 # no window to drag
  xdotool mousemove $((x + $2)) $((y + $3)) sleep 0.2 mousedown 1 sleep 0.2 \
    mousemove $(((x + $4) / 2 + $2)) $(((y + $5) / 2 + $3)) sleep 0.2 \
    mousemove $(($4 + $2)) $(($5 + $3)) sleep 0.2 mouseup 1
  sleep 0.3
}
drag_bar() { drag bar_where 150 25 "$1" "$2"; }     # by the bar's background
drag_clock() { drag clock_where 80 80 "$1" "$2"; } # by the centre cap

ini_get() {  # ini_get SECTION KEY
  tr -d '\r' <"$APP/skin.ini" 2>/dev/null | awk -v s="[$1]" -v k="$2" '
    /^\[/ { in_s = (toupper($0) == toupper(s)); next }
    in_s && toupper(substr($0, 1, index($0, "=") - 1)) == toupper(k) {
      print substr($0, index($0, "=") + 1); exit }'
}
ini_is() { [ "$(ini_get "$1" "$2")" = "$3" ]; }
saved_places_are() {  # saved_places_are BAR-X BAR-Y CLOCK-X CLOCK-Y
  ini_is BAR Left "$1" && ini_is BAR Top "$2" && ini_is CHILD Left "$3" && ini_is CHILD Top "$4"
}
write_ini() {  # write_ini LINES... (after the shipped settings)
  { printf '%s\n' "$BASE_INI"; printf '%s\n' "$@"; } | sed 's/$/\r/' >"$APP/skin.ini"
}
# A message to the bar's endpoint, as `tobu config set` posts it after changing skin.ini.
set_on_top() {  # set_on_top 0|1: as a user would from the terminal, applied live
  "$APP/tobu" config set BAR.OnTop "$1" >/dev/null
}
bar_above() { xprop -id "$(bar_win)" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
start_openbox() {
  openbox >"$WORK/openbox.log" 2>&1 &
  PIDS+=($!)
  wait_for 5 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
}
second_start() {
  "$APP/TobuClock" >"$WORK/second.log" 2>&1 &
  local second=$!
  PIDS+=($second)
  wait_for 5 process_gone "$second"
}
stop_clock() {
  kill -TERM "$CLOCK" 2>/dev/null
  wait_for 5 process_gone "$CLOCK" >/dev/null
}

# Starts the bar at (BAR-X, BAR-Y) with the CHILD lines given and looks where the clock opens;
# the bar's place is still in skin.ini after the first position check and after SIGTERM.
place_case() {  # place_case LABEL BAR-X BAR-Y CLOCK-X CLOCK-Y CHILD-LINES...
  local label="$1" bx="$2" by="$3" x="$4" y="$5"
  shift 5
  if [ $# -gt 0 ]; then set -- '[CHILD]' "$@"; fi
  write_ini '[BAR]' "Left=$bx" "Top=$by" "$@"
  start_clock
  check_at "$label" wait_for 10 clock_at "$x" "$y"
  sleep 2.5
  check "$label: the bar's place stays in skin.ini" saved_bar_is "$bx" "$by"
  stop_clock
  check "$label: SIGTERM writes the bar's place" saved_bar_is "$bx" "$by"
}
saved_bar_is() { ini_is BAR Left "$1" && ini_is BAR Top "$2"; }
placement_cases() {  # placement_cases MODE
  local m="$1" lower=$((600 - FACE))
  place_case "$m: no CHILD keys, bar at the top: the clock at the left edge under the bar" \
    948 0 0 34
  place_case "$m: no CHILD keys, bar in the lower half: the clock above the bar" \
    500 600 0 "$lower"
  place_case "$m: saved CHILD Left/Top are used" 500 0 300 100 'Left=300' 'Top=100'
  place_case "$m: a saved CHILD Top holds with the bar in the lower half" \
    500 600 300 100 'Left=300' 'Top=100'
  place_case "$m: CHILD Left -50 is pulled to 0, above the lower bar" \
    500 600 0 "$lower" 'Left=-50'
  place_case "$m: CHILD Left 5000 is pulled to 1180; a Top off the screen docks under the bar" \
    500 0 $((W - 100)) 34 'Left=5000' 'Top=9000'
}

# Drags of the bar carry the docked clock; the clock leaves the bar and docks again; the tray
# and stay-on-top keep it following; the places are saved, and written at SIGTERM.
dock_cases() {  # dock_cases MODE
  local m="$1"
  write_ini '[BAR]' 'Left=0' 'Top=0'
  start_clock
  check_at "$m: bar at (0, 0), clock docked under it" wait_for 10 both_at 0 0 0 34
  drag_bar 400 14
  check_at "$m: 14 px from the top snaps the bar flush, the clock comes along" \
    wait_for 10 both_at 400 0 400 34
  drag_bar 14 200
  check_at "$m: 14 px from the left edge, the clock comes along" wait_for 10 both_at 0 200 0 234
  drag_bar $((W - 332 - 14)) 300
  check_at "$m: 14 px from the right edge, the clock comes along" \
    wait_for 10 both_at $((W - 332)) 300 $((W - 332)) 334
  drag_bar 600 15
  check_at "$m: 15 px from the top stays, the clock keeps its offset" \
    wait_for 10 both_at 600 15 600 49
  check "$m: skin.ini holds the bar's and the clock's place about 2 s later" \
    wait_for 8 saved_places_are 600 15 600 49

  drag_clock 600 79
  check_at "$m: the clock dragged 30 px away stays there" wait_for 10 clock_at 600 79
  drag_bar 300 400
  check_at "$m: the bar moves without the undocked clock" wait_for 10 both_at 300 400 600 79
  check "$m: skin.ini holds the undocked clock's place" wait_for 8 saved_places_are 300 400 600 79
  drag_clock 310 444
  check_at "$m: the clock dragged within 14 px clicks under the bar" wait_for 10 clock_at 300 434
  drag_bar 500 300
  check_at "$m: the re-docked clock follows the bar again" wait_for 10 both_at 500 300 500 334

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
  check "$m: 最小化 takes the clock away with the bar" wait_for 10 clock_hidden
  check "$m: a second start restores" second_start
  check_at "$m: the clock is back where it was" wait_for 10 both_at 500 300 500 334
  drag_bar 200 250
  check_at "$m: after the tray the clock follows the bar" wait_for 10 both_at 200 250 200 284

  # Stay on top re-creates the bar's window; the docked clock keeps following.
  check "$m: the place is saved before the settings are applied again" \
    wait_for 8 saved_places_are 200 250 200 284
  set_on_top 1
  if [ "$m" = openbox ]; then check "$m: the bar stays on top" wait_for 10 bar_above; fi
  check_at "$m: switching on-top leaves both in place" wait_for 10 both_at 200 250 200 284
  drag_bar 450 350
  check_at "$m: after switching on-top the clock follows the bar" \
    wait_for 10 both_at 450 350 450 384
  check "$m: saved again" wait_for 8 saved_places_are 450 350 450 384
  set_on_top 0
  sleep 1
  wait_for 10 bar_shown >/dev/null
  drag_bar 100 100
  check_at "$m: after switching on-top off the clock follows the bar" \
    wait_for 10 both_at 100 100 100 134

  # Bar in the lower half: the clock goes above it, and rides to the bottom edge on top of it.
  drag_clock 700 500
  check_at "$m: the clock undocked again" wait_for 10 clock_at 700 500
  drag_bar 0 600
  wait_for 10 both_at 0 600 700 500 >/dev/null
  drag_clock 10 430
  check_at "$m: the clock dragged onto the bar's top edge docks above it" \
    wait_for 10 clock_at 0 $((600 - FACE))
  drag_bar 14 $((H - 34 - 14))
  check_at "$m: 14 px from the bottom-left corner snaps, the clock rides above" \
    wait_for 10 both_at 0 $((H - 34)) 0 $((H - 34 - FACE))

  # SIGTERM with the clock open writes the mode and where both stand.
  sleep 2.5
  rm -f "$APP/skin.ini"
  kill -TERM "$CLOCK"
  check "$m: SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"
  check "$m: SIGTERM writes CHILD Index=2" ini_is CHILD Index 2
  check "$m: SIGTERM writes the places" saved_places_are 0 $((H - 34)) 0 $((H - 34 - FACE))
}
