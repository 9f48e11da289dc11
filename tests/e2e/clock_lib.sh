# Helpers of the analog clock's end-to-end checks (sourced after lib.sh): the bar's and the
# clock's windows and places, drags by the mouse, skin.ini by section, a message to the bar.
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

# Drags a window by the point (GX, GY) inside it so that, unsnapped, its corner lands on (X, Y).
drag() {  # drag WHERE-FUNCTION GX GY X Y
  local x y
  read -r x y < <("$1")
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
post_to_bar() {  # post_to_bar NUMBER
  python3 - "$TOBU_RUNTIME_DIR" "$1" <<'EOF'
import glob, os, socket, struct, sys
run, number = sys.argv[1], int(sys.argv[2], 0)
slot = [p for p in glob.glob(os.path.join(run, "*")) if not os.path.basename(p).startswith("ep-")]
handle = struct.unpack("<I", open(slot[0], "rb").read(4))[0]
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(os.path.join(run, "ep-%08x" % handle))
s.sendall(b"TOBM" + bytes([1, 2, 0, 0]) + struct.pack("<IIQq", number, 0, 0, 0))
s.close()
EOF
}
set_on_top() {  # set_on_top 0|1: as the options would, through skin.ini and a live apply
  local ini
  ini=$(tr -d '\r' <"$APP/skin.ini" | grep -v '^OnTop=' | sed "s/^\[BAR\]\$/[BAR]\nOnTop=$1/")
  printf '%s\n' "$ini" | sed 's/$/\r/' >"$APP/skin.ini"
  post_to_bar 0x404
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

