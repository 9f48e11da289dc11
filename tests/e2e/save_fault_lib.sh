# The clock in a program folder that takes no save (a full disk, a read-only folder): it keeps
# running, warns once that skin.ini could not be saved, and the files already there stay as
# they were. Sourced after lib.sh.

# The user's files, with the bar at (500, 300) and no companion window, and Sup/ as every
# start of the clock makes it.
seed_user_files() {
  mkdir -p "$1/Sup"
  printf '; mine\r\n[BAR]\r\nLeft=500\r\nTop=300\r\nDefWin=0\r\n[MSG]\r\nCalendarLX=0\r\n' >"$1/skin.ini"
  printf '*008\xca\xb1\x33\x30\xb7\xd6\x30\x30\xc3\xeb\r\n3\xcf\xfb\xcf\xa2 (\xbf\xaa\xbb\xe1)\r\n' >"$1/War.lst"
  printf '00101=\xd0\xc2\xc4\xea\xbc\xc6\xbb\xae\r\n10505=\xb6\xcb\xce\xe7\r\n' >"$1/Marks.rec"
}
folder_state() { (cd "$1" && ls -lA --time-style=+ . && md5sum skin.ini War.lst Marks.rec); }

# Viewable windows of the clock titled exactly "警告".
warning_ids() {
  local id
  for id in $(xdotool search --pid "$CLOCK" 2>/dev/null); do
    xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -qx '_NET_WM_NAME(UTF8_STRING) = "警告"' &&
      xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && echo "$id"
  done
}
warnings_are() { [ "$(warning_ids | wc -l)" -eq "$1" ]; }
bar_shot() { import -window "$(bar_ids | head -n 1)" rgb:- 2>/dev/null | md5sum; }
bar_ticks() {
  local first
  first=$(bar_shot)
  wait_for 3 bash -c '[ "$(import -window "$1" rgb:- 2>/dev/null | md5sum)" != "$2" ]' _ \
    "$(bar_ids | head -n 1)" "$first"
}
drag_bar_down() {  # the bar at (500, $1) moves 100 pixels down
  xdotool mousemove 600 $(($1 + 15)) mousedown 1 sleep 0.2 mousemove 600 $(($1 + 65)) sleep 0.2 \
    mousemove 600 $(($1 + 115)) sleep 0.2 mouseup 1
}

# fault_case FOLDER [COMMAND PREFIX...]: the clock and tobu run from FOLDER, through the prefix
# (another user), after FOLDER was made unable to save.
fault_case() {
  local dir=$1
  shift
  local before
  before=$(folder_state "$dir")
  "$@" "$dir/TobuClock" >"$WORK/clock.log" 2>&1 &
  CLOCK=$!
  PIDS+=($CLOCK)
  check "the bar appears" wait_for 10 bar_at 500 300 || { dump_log; return; }
  drag_bar_down 300
  check "the bar followed the mouse" wait_for 3 bar_at 500 400
  check "the failed position save is told" wait_for 6 warnings_are 1
  sleep 4.5 # two more failed retries
  check "once, while the bar retries every 2 s" warnings_are 1
  xdotool windowfocus --sync "$(warning_ids | head -n 1)" key Return
  check "the box closes" wait_for 5 warnings_are 0
  drag_bar_down 400
  check "the bar moves again" wait_for 3 bar_at 500 500
  sleep 4.5
  check "the next failed saves are not told again" warnings_are 0
  check "the clock keeps ticking" bar_ticks
  "$@" "$dir/tobu" config set BAR.OnTop 1 >"$WORK/tobu.out" 2>"$WORK/tobu.err"
  check "tobu config set fails with exit 1" [ $? -eq 1 ]
  check "and says it could not save" grep -q "cannot save" "$WORK/tobu.err"
  kill -TERM "$CLOCK"
  check "SIGTERM ends the clock (its save fails)" wait_for 5 process_gone "$CLOCK"
  check "skin.ini, War.lst, Marks.rec and the folder are as they were, nothing left over" \
    [ "$(folder_state "$dir")" = "$before" ]
  [ "$(folder_state "$dir")" = "$before" ] || diff <(echo "$before") <(folder_state "$dir")
}
