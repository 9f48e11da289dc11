#!/usr/bin/env bash
# What the bar maps while it rests: no HTTP or TLS library until the feed is due, and no
# libcurl again once it is fetched; no SDL until the first sound; no calendar window and no
# 楷体 font until the calendar is shown, not even for the menu or the hover text. A test server on 127.0.0.1 serves the feed; a
# scheduled task plays a sound a few seconds after start.
source "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8
export SDL_AUDIODRIVER=dummy
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
mkdir -p "$WORK/www/AD"
printf 'v5|3\r\n*\r\n1\r\nTobu news\r\ninfo\r\nhttp://news.example/item\r\n$\r\n' \
  >"$WORK/www/AD/AD003.txt"
python3 "$TOBU_SOURCE_DIR/tests/online/feed_server.py" --root "$WORK/www" --log "$WORK/requests.log" \
  >"$WORK/port" &
PIDS+=($!)
wait_for 10 test -s "$WORK/port" >/dev/null
export TOBU_SERVER="http://127.0.0.1:$(head -n 1 "$WORK/port")/"

printf '[BAR]\r\nLeft=300\r\nTop=200\r\nDefWin=0\r\n' >"$APP/skin.ini"
# A task 16 s after start that plays a shipped sound (every day at that time).
printf '*0%s\r\n2播放 (%s)\r\n' "$(date -d '+16 sec' '+%H时%M分%S秒')" "$APP/MySound/DingDong.wav" |
  iconv -f UTF-8 -t GBK >"$APP/War.lst"
TOBU_FEED_DELAY_MS=7000 start_clock
check "the bar appears" wait_for 10 bar_count_is 1
mapped() { grep -q -- "$1" "/proc/$CLOCK/maps"; }
not_mapped() { ! mapped "$1"; }
sleep 1
for lib in libcurl libssl.so libcrypto.so libgnutls TobuHttp.so libSDL2 ukai.ttc; do
  check "at rest the bar maps no $lib" not_mapped "$lib"
done
check "no calendar window exists" bash -c "! xdotool search --all --pid $CLOCK --name '^日历$' >/dev/null 2>&1"
# The bar's menu and the hover text show in the bar's own 宋体: still no second CJK font.
xdotool mousemove 320 215 click 1 sleep 1 key Escape sleep 0.3 mousemove 390 215 sleep 2.5 2>/dev/null
check "the menu and the hover text load no 楷体" not_mapped ukai.ttc
check "the feed is fetched at TimerAD" wait_for 15 test -s "$APP/Sup/Ad.his"
check "the fetch went to the server" grep -q '^GET /AD/AD003.txt$' "$WORK/requests.log"
check "after the fetch the HTTP module is let go" wait_for 5 not_mapped TobuHttp.so
check "and libcurl with it" not_mapped libcurl
check "the task's sound loads SDL_mixer" wait_for 15 mapped libSDL2_mixer
check "the clock still runs" kill -0 "$CLOCK"
finish
