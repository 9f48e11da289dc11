#!/usr/bin/env bash
# The bar under a window manager with a tray that comes late: minimising without a tray leaves
# an iconified window that a second start brings back, the tray icon appears when the tray
# does, minimising then hides the bar in it, and a message box is titled exactly "警告".
source "$(dirname "$0")/lib.sh"
unset DBUS_SESSION_BUS_ADDRESS # the icon goes to the XEmbed tray that trayer hosts
# Stand-in openers for "帮助": they only write down what they were asked to open.
mkdir -p "$WORK/bin"
for opener in xdg-open gio kde-open5 gnome-open sensible-browser x-www-browser firefox; do
  printf '#!/bin/sh\necho "$@" >>"%s/opened.txt"\n' "$WORK" >"$WORK/bin/$opener"
  chmod +x "$WORK/bin/$opener"
done
export PATH="$WORK/bin:$PATH" BROWSER="$WORK/bin/xdg-open"

openbox >"$WORK/openbox.log" 2>&1 &
PIDS+=($!)
wait_for 5 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"

# The bar's own window (332 x 34, mapped or not) among the clock's windows; its id changes
# when the bar changes its kind of window.
bar_client() {
  local id
  for id in $(xdotool search --pid "$CLOCK" 2>/dev/null); do
    if xwininfo -id "$id" 2>/dev/null | grep -q "Width: 332" &&
      xwininfo -id "$id" 2>/dev/null | grep -q "Height: 34"; then
      echo "$id"
      return
    fi
  done
}
# ICCCM state of the bar: Normal, Iconic, or nothing when withdrawn.
bar_state() {
  local id
  id=$(bar_client)
  [ -n "$id" ] && xprop -id "$id" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'
}
bar_state_is() { [ "$(bar_state)" = "$1" ]; }
bar_viewable() { local id; id=$(bar_client); [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable; }
# openbox sets WM_STATE Normal before it maps the frame; a click in between reaches nothing.
bar_shown() { bar_state_is Normal && bar_viewable; }
not_viewable() { ! bar_viewable; }
bar_withdrawn() { ! bar_viewable && { [ -z "$(bar_state)" ] || bar_state_is Withdrawn; }; }
bar_client_at() {
  local id
  id=$(bar_client)
  [ -n "$id" ] && [ "$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} END{print x, y}')" = "$1 $2" ]
}
bar_is_tool() { xprop -id "$(bar_client)" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY; }
click_bar() { xdotool mousemove --window "$(bar_client)" "$1" "$2" click 1; }
second_start() {
  "$APP/TobuClock" >"$WORK/second.log" 2>&1 &
  local second=$!
  PIDS+=($second)
  wait_for 5 process_gone "$second"
}
tray_icons() {  # 22 x 22 windows under trayer's panel
  local panel
  panel=$(xdotool search --name '^panel$' 2>/dev/null | head -n 1)
  [ -n "$panel" ] || { echo 0; return; }
  xwininfo -id "$panel" -tree 2>/dev/null | grep -c " 22x22+"
}
tray_has_icon() { [ "$(tray_icons)" -ge 1 ]; }
# The clock's window whose title contains $1, printed as its exact _NET_WM_NAME.
title_with() {
  local id
  for id in $(xdotool search --pid "$CLOCK" 2>/dev/null); do
    xprop -id "$id" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = //p'
  done | grep -F -- "$1" | head -n 1
}
has_title() { [ -n "$(title_with "$1")" ]; }
title_is() { [ "$(title_with "$1")" = "\"$2\"" ]; }
no_title() { ! has_title "$1"; }

start_clock
started=$SECONDS
check "the bar appears" wait_for 10 bar_shown
check "at the top-right corner" bar_client_at 948 0

# No tray: "最小化" leaves an iconified window in the window list, not a withdrawn one.
click_bar 309 5
check "without a tray 最小化 iconifies the bar" wait_for 5 bar_state_is Iconic
check "the iconified bar is not mapped" not_viewable
check "a second start exits" second_start
check "a second start brings the iconified bar back" wait_for 5 bar_viewable
check "the restored bar is Normal again" bar_state_is Normal
check "the restored bar is where it was" bar_client_at 948 0
check "the restored bar is a tool window again" bar_is_tool

# Restored from the window list instead, it becomes the tool window again as well.
click_bar 309 5
check "minimised again" wait_for 5 bar_state_is Iconic
check "an iconified bar is an ordinary window" bash -c "! xprop -id $(bar_client) _NET_WM_WINDOW_TYPE | grep -q UTILITY"
xdotool windowactivate "$(bar_client)" 2>/dev/null
check "the window list brings it back" wait_for 5 bar_viewable
check "as the tool window" wait_for 3 bar_is_tool

# The tray comes 3 s after the clock; the icon the clock showed all along is embedded.
sleep $((started + 3 - SECONDS > 0 ? started + 3 - SECONDS : 0))
start_trayer() {
  trayer --edge bottom --align right --widthtype pixel --width 100 --height 24 \
    >"$WORK/trayer.log" 2>&1 &
  TRAYER=$!
  PIDS+=($TRAYER)
}
start_trayer
check "a tray that comes late gets the clock's icon" wait_for 8 tray_has_icon

# With a tray "最小化" hides the bar in it, and a second start brings it back.
click_bar 309 5
check "with a tray 最小化 withdraws the bar" wait_for 5 bar_withdrawn
check "the tray icon stays" tray_has_icon
check "a second start exits" second_start
check "a second start brings the bar back from the tray" wait_for 5 bar_viewable

# "帮助" opens the HTML guide of the program folder with the desktop's opener.
help_item() {
  local base
  base=$(clock_windows)
  click_bar 20 15
  wait_for 5 windows_above "$base"
  sleep 0.1
  xdotool key Up Up Up Return  # 退出, 关于, 帮助
}
opened_guide() { grep -q "$APP/Help/index.html" "$WORK/opened.txt" 2>/dev/null; }
check "the staged folder ships the guide" test -s "$APP/Help/index.html"
help_item
check "帮助 opens Help/index.html" wait_for 5 opened_guide
sleep 1
check "no warning while the guide is there" no_title "警告"

# Without help file and guide, the warning: its title is the program's text and nothing more.
rm -rf "$APP/Help" "$WORK/opened.txt"
help_item
check "the warning box opens" wait_for 5 has_title "警告"
check "its title is exactly 警告" title_is "警告" "警告"
xdotool key Return
check "nothing was opened" test ! -e "$WORK/opened.txt"

check "the clock still runs" kill -0 "$CLOCK" || dump_log
kill -TERM "$CLOCK"
check "SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"

# The autostart ("/hide" with OnStartHide) before the panel: the bar waits for the tray that
# comes 2 s later and goes there instead of into the window list.
kill "$TRAYER"
wait_for 5 process_gone "$TRAYER"
printf '[BAR]\nOnStartHide=1\n' >"$APP/skin.ini"
start_clock /hide
check "the autostarted bar appears" wait_for 10 bar_state_is Normal
sleep 2
check "without a tray yet it stays on the screen" bar_viewable
start_trayer
check "it goes to the tray that came late" wait_for 8 bar_withdrawn
check "its icon is in the tray" wait_for 3 tray_has_icon
kill -TERM "$CLOCK"
check "SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"
finish
