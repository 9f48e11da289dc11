#!/usr/bin/env bash
# Skins on a virtual display: a bar started with a test skin shows the skin's background
# pixels and LED colours on screen; under a compositing manager the bar casts its shadow.
source "$(dirname "$0")/lib.sh"

# The test skin: the shipped blue glass with its bar picture painted one flat colour and LED
# colours no shipped skin uses. Colours in the package are 0x00BBGGRR.
SK="$WORK/sk"
"$APP/tobu" skin unpack "$APP/Skin/BlueGlass.sk" "$SK" >/dev/null
convert "$SK/sheet.bmp" -fill '#C82878' -draw 'rectangle 0,0 331,33' "BMP3:$SK/sheet.bmp"
sed -i -e 's/^LEDBkColor=.*/LEDBkColor=3153936/' -e 's/^LEDFontColor=.*/LEDFontColor=65280/' \
  -e 's/^LEDDarkColor=.*/LEDDarkColor=5258280/' -e 's/^LEDBorderColor=.*/LEDBorderColor=65535/' \
  "$SK/skin.ini"
"$APP/tobu" skin pack "$SK" "$APP/Skin/Test.sk" >/dev/null
check "the test skin is a valid package" bash -c "'$APP/tobu' skin info '$APP/Skin/Test.sk' >/dev/null"

printf '[SKIN]\r\nSkinFile=Test.sk\r\nWinFile=Skin/Window.skw\r\n[BAR]\r\nDefWin=0\r\n' >"$APP/skin.ini"

SHOT="$WORK/shot.png"
shoot() { import -window root "$SHOT" 2>/dev/null; }
# pixel X Y: "R,G,B" of the last screenshot.
pixel() { convert "$SHOT" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
# count_in W H X Y R,G,B: how many pixels of the region have exactly that colour.
count_in() {
  convert "$SHOT" -crop "$1x$2+$3+$4" +repage -depth 8 txt:- |
    grep -c "($5)\|(${5//,/ ,})" || true
}
at_least() { [ "$1" -ge "$2" ]; }
# tinted_in W H X Y: pixels of the region whose red and blue both exceed green by 60 or more,
# the colour key itself or a smoothed edge blended with it.
tinted_in() {
  convert "$SHOT" -crop "$1x$2+$3+$4" +repage -depth 8 txt:- |
    awk -F'[(),]' 'NR > 1 { r = $3 + 0; g = $4 + 0; b = $5 + 0; if (r - g >= 60 && b - g >= 60) n++ }
                   END { print n + 0 }'
}
no_key_in_bar() {  # no_key_in_bar X Y: the bar at X, Y shows neither the key nor blends with it
  local n
  n=$(tinted_in 332 34 "$1" "$2")
  [ "$n" -eq 0 ] || echo "  $n key-coloured pixels in the bar"
  [ "$n" -eq 0 ]
}

start_clock
check "the bar appears" wait_for 10 bar_count_is 1
check "at the top-right corner" bar_at 948 0
sleep 1.5
shoot
# The bar's background where no control covers it (between the LED panel and the date line,
# and under the minimise button).
check "skin background at (171, 2)" pixel_is $((948 + 171)) 2 "200,40,120"
check "skin background at (250, 10)" pixel_is $((948 + 250)) 10 "200,40,120"
check "skin background at (2, 32)" pixel_is $((948 + 2)) 32 "200,40,120"
# The LED panel: yellow border at (53, 4), LED background inside it at (55, 6).
check "LED panel border in the skin's colour" pixel_is $((948 + 53)) 4 "255,255,0"
check "LED background in the skin's colour" pixel_is $((948 + 55)) 6 "16,32,48"
lit=$(count_in 117 23 $((948 + 54)) 5 "0,255,0")
dark=$(count_in 117 23 $((948 + 54)) 5 "40,60,80")
echo "LED pixels: $lit lit, $dark dark"
check "lit segments in the skin's font colour" at_least "$lit" 100
# The bar's LED draws no unlit segments, whatever their colour.
check "no dark segments on the bar" [ "$dark" -eq 0 ]
cp "$SHOT" "${TOBU_SKIN_SHOT:-/tmp/tobu-skin-e2e.png}" 2>/dev/null || true

# A damaged skin keeps the built-in look: the bar still starts and ticks.
kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"
head -c 700 "$APP/Skin/Test.sk" >"$APP/Skin/Broken.sk"
printf '[SKIN]\r\nSkinFile=Broken.sk\r\n' >"$APP/skin.ini"
start_clock
check "a truncated skin still gives a bar" wait_for 10 bar_count_is 1
sleep 1
shoot
check "with the built-in look, not the test colour" bash -c "[ \"\$(convert '$SHOT' -format '%[fx:int(255*p{$((948 + 171)),2}.r)]' info:)\" != 200 ]"
check "the built-in look shows no colour key" no_key_in_bar 948 0
check "and the skin file is left as it was" bash -c "[ \$(stat -c %s '$APP/Skin/Broken.sk') = 700 ]"
kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"

# The first start: an empty skin.ini gives the built-in look, which is a product look: lit
# segments in a real colour, and no pixel of the colour key (255, 0, 255) or blended with it
# (a smoothed rim drawn onto the key) in the bar or anywhere on screen, with or without the
# mouse over its buttons.
: >"$APP/skin.ini"
start_clock
check "the first start shows the bar" wait_for 10 bar_count_is 1
read -r BX BY < <(bar_pos)
sleep 1.5
shoot
cp "$SHOT" "${TOBU_FIRST_START_SHOT:-/tmp/tobu-first-start-e2e.png}" 2>/dev/null || true
check "no colour key anywhere on screen" [ "$(count_in 1280 768 0 0 "255,0,255")" -eq 0 ]
check "none blended into the bar" no_key_in_bar "$BX" "$BY"
lit=$(count_in 117 23 $((BX + 54)) $((BY + 5)) "110,226,255")
check "the time lit in the built-in cyan ($lit pixels)" at_least "$lit" 100
xdotool mousemove $((BX + 25)) $((BY + 15))
sleep 0.6
shoot
check "none with the mouse over the menu button" no_key_in_bar "$BX" "$BY"
xdotool mousemove $((BX + 305)) $((BY + 5))
sleep 0.6
shoot
check "none with the mouse over the minimise button" no_key_in_bar "$BX" "$BY"
xdotool mousemove 640 600
kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"

# Under a compositing manager the bar has a soft shadow: a 364 x 66 window 16 pixels up and
# left of the bar, which goes away with the bar.
xcompmgr >/dev/null 2>&1 &
PIDS+=($!)
sleep 0.5
printf '[SKIN]\r\nSkinFile=BlueGlass.sk\r\n[BAR]\r\nLeft=400\r\nTop=300\r\n' >"$APP/skin.ini"
shadow_at() {
  xwininfo -root -children 2>/dev/null | grep -E " 364x66\+" | grep -q "+384+284"
}
start_clock
check "the bar appears under the compositor" wait_for 10 bar_count_is 1
check "its shadow sits 16 px up and left of it, 364 x 66" wait_for 5 shadow_at
kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"
[ "$failures" -eq 0 ] || dump_log
finish
