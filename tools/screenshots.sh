#!/usr/bin/env bash
# Takes the README's screenshots: the bar with each shipped skin on a virtual display with a
# compositing manager (so the shadow shows), at a fixed moment, over a soft wallpaper.
#
#   tools/screenshots.sh [BUILD_DIR [CASE...]]
#
# Cases (all of them by default):
#   bars    docs/bar*.png: each skin, the hover text, the first start with an empty skin.ini
#   clock   docs/bar-clock.png: the bar with the analog clock docked under it
#   guide   data/Help/images/*.png: the user guide's pictures (the bar, its menu, the calendar,
#           the options dialog's pages, the task list, the marks list, world time, faces)
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

export TOBU_RUNTIME_DIR="$WORK/run" XDG_RUNTIME_DIR="$WORK/run" TOBU_INSTANCE_NAME="tobu-shots-$$"
export LANG=C.UTF-8
export TOBU_CLOCK_SETTER=/bin/false TOBU_POWEROFF_COMMAND=
unset QT_QPA_PLATFORM
mkdir -p "$WORK/run"
. "$(dirname "$0")/xvfb.sh"
start_xvfb
PIDS+=("$XVFB_PID")

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

# --- the user guide's pictures ---------------------------------------------------------------
GUIDE=data/Help/images

# Starts a copy of the program folder at the guide's moment with the settings in $2 (and the
# files put there by the caller's function $3, if any); the clock's process is $CLOCK_PID.
guide_start() {  # guide_start NAME SETTINGS [PREPARE]
  GAPP="$WORK/guide-$1"
  rm -rf "$GAPP"
  cp -r "$STAGE" "$GAPP"
  printf '%b' "$2" >"$GAPP/skin.ini"
  [ -z "${3:-}" ] || "$3" "$GAPP"
  FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@2024-02-10 10:08:36" "$GAPP/TobuClock" \
    >"$WORK/clock.log" 2>&1 &
  CLOCK_PID=$!
  sleep 3
}
guide_stop() {
  local child
  child=$(pgrep -P "$CLOCK_PID" | head -n 1)
  kill -TERM "${child:-$CLOCK_PID}" 2>/dev/null || true
  wait "$CLOCK_PID" 2>/dev/null || true
}
guide_shot() {  # guide_shot OUTPUT GEOMETRY
  import -window root -crop "$2" +repage -strip -define png:compression-level=9 "$GUIDE/$1"
  echo "wrote $GUIDE/$1"
}
# The mapped window titled exactly $1, with $2 pixels around it (for its shadow).
guide_shot_window() {  # guide_shot_window TITLE OUTPUT [MARGIN]
  local id box m="${3:-12}"
  for _ in $(seq 20); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1)
    [ -z "$id" ] || break
    sleep 0.2
  done
  if [ -z "$id" ]; then
    echo "screenshots.sh: no window titled $1" >&2
    return 1
  fi
  sleep 0.5
  box=$(xwininfo -id "$id" | awk -v m="$m" '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /^  Width:/{w=$NF} /^  Height:/{h=$NF} END{printf "%dx%d+%d+%d", w + 2 * m, h + 2 * m, x - m, y - m}')
  guide_shot "$2" "$box"
}
# The settings of the guide's pictures: the default skin, the bar at (600, 40).
GUIDE_INI='[SKIN]\r\nSkinFile=BlueGlass.sk\r\nWinFile=Skin/Window.skw\r\nClockFile=Classic.cl\r\n[BAR]\r\nLeft=600\r\nTop=40\r\n'
# Opens the bar's main menu and walks up from "退出" to an item ($1 steps), then $2 (keys).
guide_menu() {  # guide_menu STEPS [KEY...]
  xdotool mousemove 620 55 click 1
  sleep 0.8
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Up; done
  shift
  [ $# -eq 0 ] || xdotool key "$@"
}
# A task list and date marks to show (GBK text, CR LF), written into the copy's folder.
guide_files() {
  printf '*008时30分00秒\r\n2播放 (/usr/lib/tobuclock/MySound/DingDong.wav)\r\n3消息 (晨会，带上周报)\r\n*005月01日12时00分00秒\r\n3消息 (劳动节快乐)\r\n*12024年12月31日23时59分00秒\r\n4执行 (关机)\r\n' |
    iconv -f UTF-8 -t GBK >"$1/War.lst"
  printf '00214=情人节，订花\r\n00220=妈妈生日\r\n10115=元宵节，吃汤圆\r\n' |
    iconv -f UTF-8 -t GBK >"$1/Marks.rec"
}

# The moment of the last correction that "校时" shows. With 自动网络校时 on, the clock asks
# only a port on this machine where nothing listens, and could never set the clock.
guide_checked() {
  printf '2024-02-10 09:00:02\r\n' >"$1/TimeCheck.lst"
  printf '127.0.0.1:9\r\n' >"$1/TimeHost.lst"
}

guide() {
  mkdir -p "$GUIDE"
  # The bar with each skin.
  local sk
  for sk in BlueGlass Dark Light; do
    guide_start "bar-$sk" "${GUIDE_INI/BlueGlass.sk/$sk.sk}[BAR]\r\nDefWin=0\r\n"
    guide_shot "bar-$sk.png" 352x58+590+30
    guide_stop
  done
  # The hover text, and the main menu with "系统设置" open.
  guide_start menu "${GUIDE_INI}DefWin=0\r\n"
  xdotool mousemove 710 57
  sleep 2.5
  guide_shot bar-hover.png 352x116+590+30
  guide_menu 5 Right
  sleep 2
  guide_shot menu.png 360x346+590+30
  xdotool key Escape Escape
  guide_stop
  # The calendar docked under the bar, with marks.
  guide_start calendar "${GUIDE_INI}DefWin=2\r\n" guide_files
  sleep 1
  guide_shot calendar.png 352x440+590+30
  # "日历标记": the marks list.
  guide_menu 7 Return
  guide_shot_window "日历标记" marks.png
  xdotool key Escape
  guide_stop
  # The analog clock docked under the bar.
  guide_start clock "${GUIDE_INI}DefWin=1\r\n[CHILD]\r\nLeft=600\r\nTop=74\r\n"
  sleep 1
  guide_shot clock.png 352x240+590+30
  guide_stop
  # The options dialog, centred on the screen: each page, picked in its page list.
  guide_start options "${GUIDE_INI}DefWin=0\r\n[CLOCK]\r\nAlarm=1\r\nHalfAlarm=1\r\nHotKey=1\r\nHotKey1=Ctrl + Shift\r\nHotKey2=T\r\n[TIME]\r\nAutoChcek=1\r\nStepHour=24\r\n" guide_checked
  guide_menu 5 Right Return
  sleep 1.5
  local page names=(general chime skin clock message time)
  for page in 0 1 2 3 4 5; do
    xdotool mousemove 440 $((207 + 36 + 15 + 30 * page)) click 1
    sleep 0.8
    guide_shot_window "系统设置" "options-${names[$page]}.png"
  done
  xdotool key Escape
  guide_stop
  # The task list and world time.
  guide_start tasks "${GUIDE_INI}DefWin=0\r\n" guide_files
  guide_menu 8 Return
  guide_shot_window "定时任务" tasks.png
  xdotool key Escape
  sleep 0.5
  guide_menu 6 Return
  guide_shot_window "城市时间查询" worldtime.png
  xdotool key Escape
  guide_stop
  # The shipped clock faces, as the clock draws them.
  local face
  for face in Classic Night Minimal; do
    "$STAGE/tobu" face render "$STAGE/Clock/$face.cl" 10:09:36 "$WORK/face.png" >/dev/null
    convert "$WORK/face.png" -strip -define png:compression-level=9 "$GUIDE/face-$face.png"
    echo "wrote $GUIDE/face-$face.png"
  done
}

cases=("${@:2}")
[ ${#cases[@]} -gt 0 ] || cases=(bars clock guide)
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
  guide) guide ;;
  *)
    echo "screenshots.sh: unknown case $c (bars, clock, guide)" >&2
    exit 2
    ;;
  esac
done
