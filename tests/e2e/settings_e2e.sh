#!/usr/bin/env bash
# Settings that must survive what users meet: damaged skin and dialog-frame packages keep the
# user's position and alpha (on screen and in skin.ini after SIGTERM), and a skin.ini saved as
# UTF-8 with a byte-order mark keeps its Chinese skin name and its encoding.
source "$(dirname "$0")/lib.sh"

# _NET_WM_WINDOW_OPACITY of the bar: "opaque" when unset or full.
bar_opacity() {
  local id v
  id=$(bar_ids | head -n 1)
  v=$(xprop -id "$id" _NET_WM_WINDOW_OPACITY 2>/dev/null | awk -F' = ' '/CARDINAL/{print $2}')
  if [ -z "$v" ] || [ "$v" = 4294967295 ]; then echo opaque; else echo "$v"; fi
}
opaque() { [ "$(bar_opacity)" = opaque ]; }

# Truncated packages: the bar skin and the dialog frame both fail to load.
head -c 700 "$APP/Skin/BlueGlass.sk" >"$APP/Skin/Broken.sk"
head -c 40 "$APP/Skin/Window.skw" >"$APP/Skin/BrokenWin.skw"
printf '[SKIN]\r\nSkinFile=Broken.sk\r\nWinFile=Skin/BrokenWin.skw\r\n[BAR]\r\nLeft=300\r\nTop=300\r\nTr=255\r\nDefWin=0\r\n' >"$APP/skin.ini"
start_clock
check "a bar starts with damaged packages" wait_for 10 bar_count_is 1
check "it sits where the user left it (300, 300)" bar_at 300 300
check "it is opaque as stored (Tr=255)" opaque
echo "opacity: $(bar_opacity)"
kill -TERM "$CLOCK"
check "SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"
for key in '^Left=300' '^Top=300' '^Tr=255' '^SkinFile=Broken.sk' '^WinFile=Skin/BrokenWin.skw'; do
  check "skin.ini still holds $key" ini_has "$key"
done

# A skin.ini written by an editor as UTF-8 with a byte-order mark, naming a skin in Chinese,
# shows the same skin as the GBK file naming it in ASCII.
SHOT="$WORK/shot.png"
# spot X Y: "R,G,B" of the bar's pixel (X, Y) in a fresh screenshot (the bar at 200, 100).
spot() {
  local x=$((200 + $1)) y=$((100 + $2))
  import -window root "$SHOT" 2>/dev/null
  convert "$SHOT" -format "%[fx:int(255*p{$x,$y}.r)],%[fx:int(255*p{$x,$y}.g)],%[fx:int(255*p{$x,$y}.b)]" info:
}
printf '[SKIN]\r\nSkinFile=Dark.sk\r\n[BAR]\r\nLeft=200\r\nTop=100\r\nDefWin=0\r\n' >"$APP/skin.ini"
start_clock
check "the bar appears with the skin named in GBK" wait_for 10 bar_at 200 100
sleep 1
want1=$(spot 171 2)
want2=$(spot 2 32)
kill -TERM "$CLOCK"
check "SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"

cp "$APP/Skin/Dark.sk" "$APP/Skin/深色.sk"
printf '\xEF\xBB\xBF[SKIN]\r\nSkinFile=深色.sk\r\n[BAR]\r\nLeft=200\r\nTop=100\r\nDefWin=0\r\n' >"$APP/skin.ini"
start_clock
check "the bar appears with the UTF-8 settings" wait_for 10 bar_at 200 100
sleep 1
check "the Chinese-named skin is loaded (background at 171, 2)" [ "$(spot 171 2)" = "$want1" ]
check "the Chinese-named skin is loaded (background at 2, 32)" [ "$(spot 2 32)" = "$want2" ]
xdotool mousemove 370 102 mousedown 1 sleep 0.2 mousemove 420 152 sleep 0.2 mousemove 470 202 \
  sleep 0.2 mouseup 1
check "the dragged bar's place is saved" wait_for 5 ini_has '^Left=300'
kill -TERM "$CLOCK"
check "SIGTERM ends the program" wait_for 5 process_gone "$CLOCK"
check "skin.ini still starts with the byte-order mark" \
  bash -c "[ \"\$(head -c 3 '$APP/skin.ini' | od -An -tx1 | tr -d ' ')\" = efbbbf ]"
check "and names the skin in UTF-8" ini_has '^SkinFile=深色.sk'
check "with the new place" bash -c "grep -q '^Left=300' '$APP/skin.ini' && grep -q '^Top=200' '$APP/skin.ini'"
[ "$failures" -eq 0 ] || dump_log
finish
