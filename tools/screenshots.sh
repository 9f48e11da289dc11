#!/usr/bin/env bash
# Takes the README's screenshots: the bar with each shipped skin on a virtual display with a
# compositing manager (so the shadow shows), at a fixed moment, over a soft wallpaper.
#
#   tools/screenshots.sh [BUILD_DIR [CASE...]]
#
# Cases (all of them by default):
#   bars    docs/bar*.png: each skin, the hover text, the first start with an empty skin.ini
#   clock   docs/bar-clock.png: the bar with the analog clock docked under it
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
STAGE="$BUILD/TobuClock"
OUT=docs
mkdir -p "$OUT"
WORK=$(mktemp -d /tmp/tobu-shots-XXXXXX)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

for n in $(seq 40 89); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then DISPLAY_NUM=$n; break; fi
done
export DISPLAY=":$DISPLAY_NUM"
export TOBU_RUNTIME_DIR="$WORK/run" XDG_RUNTIME_DIR="$WORK/run" TOBU_INSTANCE_NAME="tobu-shots-$$"
export LANG=C.UTF-8
unset QT_QPA_PLATFORM
mkdir -p "$WORK/run"
Xvfb "$DISPLAY" -screen 0 1280x768x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A wallpaper like a desktop's: a soft sky gradient.
convert -size 1280x768 gradient:'#5B86B8-#C9D9EA' "$WORK/wall.png"
display -geometry +0+0 -borderwidth 0 "$WORK/wall.png" &
PIDS+=($!)
sleep 1
xcompmgr >/dev/null 2>&1 &
PIDS+=($!)
sleep 0.5

# Spring Festival morning 2024: the date line and the hover text have the most to say.
# With SKIN "first-start" the settings file is empty, as at the very first start: the built-in
# look, at the top-right corner of the screen.
shot() {  # shot SKIN OUTPUT [hover]
  local app="$WORK/app-$1"
  rm -rf "$app"
  cp -r "$STAGE" "$app"
  if [ "$1" = first-start ]; then
    : >"$app/skin.ini"
  else
    printf '[SKIN]\r\nSkinFile=%s\r\nWinFile=Skin/Window.skw\r\n[BAR]\r\nLeft=900\r\nTop=40\r\nDefWin=0\r\n' \
      "$1" >"$app/skin.ini"
  fi
  FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@2024-02-10 10:08:36" "$app/TobuClock" \
    >"$WORK/clock.log" 2>&1 &
  local pid=$!
  sleep 3
  if [ "${3:-}" = hover ]; then
    xdotool mousemove 1010 57
    sleep 2.5
    import -window root -crop 560x200+720+10 +repage "$OUT/$2"
  elif [ "$1" = first-start ]; then
    import -window root -crop 380x66+900+0 +repage "$OUT/$2"
  else
    import -window root -crop 380x82+876+16 +repage "$OUT/$2"
  fi
  # faketime runs the clock as its child: end that one process by its id.
  local child
  child=$(pgrep -P "$pid" | head -n 1)
  kill -TERM "${child:-$pid}" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "wrote $OUT/$2"
}

# The default skin with the analog clock (the shipped Classic face) docked under the bar, where
# CHILD Left/Top keep it: flush with the bar's left and bottom edges.
shot_clock() {  # shot_clock OUTPUT
  local app="$WORK/app-clock"
  rm -rf "$app"
  cp -r "$STAGE" "$app"
  printf '[SKIN]\r\nSkinFile=BlueGlass.sk\r\nWinFile=Skin/Window.skw\r\nClockFile=Classic.cl\r\n[BAR]\r\nLeft=900\r\nTop=40\r\nDefWin=1\r\n[CHILD]\r\nLeft=900\r\nTop=74\r\n' \
    >"$app/skin.ini"
  FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@2024-02-10 10:08:36" "$app/TobuClock" \
    >"$WORK/clock.log" 2>&1 &
  local pid=$!
  sleep 4
  import -window root -crop 380x240+876+16 +repage "$OUT/$1"
  local child
  child=$(pgrep -P "$pid" | head -n 1)
  kill -TERM "${child:-$pid}" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "wrote $OUT/$1"
}

cases=("${@:2}")
[ ${#cases[@]} -gt 0 ] || cases=(bars clock)
for c in "${cases[@]}"; do
  case "$c" in
  bars)
    shot BlueGlass.sk bar.png
    shot Dark.sk bar-dark.png
    shot Light.sk bar-light.png
    shot BlueGlass.sk bar-hover.png hover
    shot first-start bar-first-start.png
    ;;
  clock) shot_clock bar-clock.png ;;
  *)
    echo "screenshots.sh: unknown case $c (bars, clock)" >&2
    exit 2
    ;;
  esac
done
