#!/usr/bin/env bash
# The options dialog "系统设置" for real: opened from the bar's menu on the page of the item,
# centred on the screen, driven by the keyboard, and closed with Escape, which saves into
# skin.ini while every other line of the user's file stays byte for byte. `tobu config set`
# changes a running clock at once, and is told to wait while the dialog is open.
source "$(dirname "$0")/lib.sh"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
mkdir -p "$HOME"

openbox >"$WORK/openbox.log" 2>&1 &
PIDS+=($!)
wait_for 5 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"

# The clock's window whose _NET_WM_NAME is exactly $1.
window_titled() {
  local id
  for id in $(xdotool search --pid "$CLOCK" 2>/dev/null); do
    if xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -qxF "_NET_WM_NAME(UTF8_STRING) = \"$1\""; then
      xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && { echo "$id"; return; }
    fi
  done
}
dialog_open() { [ -n "$(window_titled 系统设置)" ]; }
dialog_closed() { ! dialog_open; }
dialog_geometry() {
  local id
  id=$(window_titled 系统设置)
  # Without a window xwininfo would wait for a click.
  [ -n "$id" ] || { echo "none"; return; }
  xwininfo -id "$id" |
    awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
bar_opacity() {
  local id v
  id=$(bar_ids | head -n 1)
  v=$(xprop -id "$id" _NET_WM_WINDOW_OPACITY 2>/dev/null | awk -F' = ' '/CARDINAL/{print $2}')
  echo "${v:-opaque}"
}
# Opens "系统设置" → "消息设置" from the menu button: Up from the end reaches "系统设置"
# (退出, 关于, 帮助, 主页, 系统设置), Right
# opens its submenu on "常规设置", four Downs reach "消息设置".
open_message_page() {
  local id base
  id=$(bar_ids | head -n 1)
  base=$(clock_windows)
  xdotool mousemove --window "$id" 20 15 click 1
  wait_for 5 windows_above "$base"
  xdotool key Up Up Up Up Up Right
  wait_for 5 windows_above $((base + 1))
  sleep 0.1
  xdotool key Down Down Down Down Return
}
has_bytes() { LC_ALL=C grep -aqF -- "$1" "$APP/skin.ini"; }

head_bytes=$(printf '; user comment\r\n[BAR]\r\nDefWin=0\r\nLeft=100\r\nTop=0\r\n')
printf '%s[Mine]\r\nnote=\xC4\xE3\xBA\xC3\r\n[MSG]\r\nAutoSec=0x1F\r\n' "$head_bytes" >"$APP/skin.ini"
start_clock
check "the bar appears" wait_for 10 bar_count_is 1
# The bar saves its place every 2 s when it moved (a window manager may have placed it).
sleep 3
cp "$APP/skin.ini" "$WORK/before.ini"
check "the user's comment and BAR lines begin the file" \
  cmp -s <(head -n 2 "$WORK/before.ini") <(printf '; user comment\r\n[BAR]\r\n')

open_message_page
check "the menu opens the dialog 系统设置" wait_for 5 dialog_open
check "472 x 353, centred on the 1280 x 768 screen" [ "$(dialog_geometry)" = "404 207 472 353" ]
echo "dialog at: $(dialog_geometry)"
# The focus is on the checked "自动关闭"; Left checks "手动关闭".
xdotool key Left
sleep 0.3
xdotool key Escape
check "Escape closes the dialog" wait_for 5 dialog_closed
check "skin.ini begins with the user's lines, byte for byte" \
  cmp -s <(head -n 5 "$APP/skin.ini") <(head -n 5 "$WORK/before.ini") ||
  od -c "$APP/skin.ini" | head -8
check "the user's GBK section is kept" has_bytes "$(printf '[Mine]\r\nnote=\xC4\xE3\xBA\xC3\r\n')"
check "手动关闭 is saved (MSG Auto=0)" has_bytes "$(printf 'Auto=0\r\n')"
check "AutoSec 0x1F is saved as the dialog showed it" has_bytes "$(printf 'AutoSec=31\r\n')"
check "the whole save list is written (TIME StepHour)" has_bytes "$(printf '[TIME]\r\nAutoChcek=0\r\nStepHour=1\r\n')"

# A live change from the terminal.
before=$(bar_opacity)
out=$("$APP/tobu" config set --json BAR.Tr 100 2>"$WORK/config.err")
check "tobu config set exits 0" [ $? -eq 0 ]
check "the running clock applied it" [ "$out" = '{"key": "BAR.Tr", "value": "100", "clamped": false, "applied": true}' ]
echo "$out"
check "the bar's opacity changed at once" wait_for 3 bash -c "[ \"\$(xprop -id $(bar_ids | head -n 1) _NET_WM_WINDOW_OPACITY 2>/dev/null | awk -F' = ' '/CARDINAL/{print \$2}')\" != '$before' ]"
echo "opacity: $before -> $(bar_opacity)"

# While the dialog is open the clock leaves the file to the dialog's close.
open_message_page
check "the dialog opens again" wait_for 5 dialog_open
out=$("$APP/tobu" config set --json MSG.Tran 90 2>"$WORK/config.err")
check "tobu config set still exits 0" [ $? -eq 0 ]
check "not applied while the dialog is open" [ "$out" = '{"key": "MSG.Tran", "value": "90", "clamped": false, "applied": false}' ]
check "and it says why" grep -q "options dialog" "$WORK/config.err"
xdotool key Escape
check "Escape closes it" wait_for 5 dialog_closed
check "the dialog's close wrote its own value" has_bytes "$(printf 'Tran=200\r\n')"

check "the clock still runs" kill -0 "$CLOCK" || dump_log

# A logout while the dialog is open still saves it: "自动关闭" chosen, then SIGTERM.
open_message_page
check "the dialog opens a third time" wait_for 5 dialog_open
xdotool key Right
sleep 0.3
kill -TERM "$CLOCK"
check "SIGTERM ends the program with the dialog open" wait_for 5 process_gone "$CLOCK"
check "the dialog's values were saved on the way out (MSG Auto=1)" has_bytes "$(printf 'Auto=1\r\n')"
finish
