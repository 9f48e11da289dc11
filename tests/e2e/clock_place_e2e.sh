#!/usr/bin/env bash
# Where DefWin 1 opens the analog clock beside the real bar, once without a window manager and
# once under openbox: CHILD Left defaults to the screen's left edge (pulled into 0 .. width -
# 100), CHILD Top to under the bar, or above it when the bar is in the lower half; a saved Top
# is used as stored unless it would put the clock off the screen.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/clock_lib.sh"

# Starts the bar at (BAR-X, BAR-Y) with the CHILD lines given and looks where the clock opens;
# the bar's place is still in skin.ini after the first position check and after SIGTERM.
place_case() {  # place_case LABEL BAR-X BAR-Y CLOCK-X CLOCK-Y CHILD-LINES...
  local label="$1" bx="$2" by="$3" x="$4" y="$5"
  shift 5
  if [ $# -gt 0 ]; then set -- '[CHILD]' "$@"; fi
  write_ini '[BAR]' "Left=$bx" "Top=$by" "$@"
  start_clock
  check "$label" wait_for 10 clock_at "$x" "$y"
  [ "$(clock_where)" = "$x $y" ] || echo "  the clock is at $(clock_where), the bar at $(bar_where)"
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

placement_cases "no window manager"
start_openbox
placement_cases openbox

[ "$failures" -eq 0 ] || dump_log
finish
