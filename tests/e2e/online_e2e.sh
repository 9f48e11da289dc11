#!/usr/bin/env bash
# The online extras on a virtual display against a test server on 127.0.0.1: the feed fetched
# once at a shortened TimerAD and shown on the date line, a click on a cached announcement
# reaching a stand-in link opener, DefWin 3 asking for the weather page once, and
# `tobu upgrade notify` showing the popup and writing Upgrade.his. HOME is a scratch folder.
source "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8
export HOME="$WORK/home"
mkdir -p "$HOME" "$WORK/www/AD" "$WORK/bin"
# Stand-in link openers: they only write down what they were asked to open.
for opener in xdg-open gio kde-open5 gnome-open sensible-browser x-www-browser firefox; do
  printf '#!/bin/sh\necho "$@" >>"%s/opened.txt"\n' "$WORK" >"$WORK/bin/$opener"
  chmod +x "$WORK/bin/$opener"
done
export PATH="$WORK/bin:$PATH"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export BROWSER="$WORK/bin/xdg-open"

printf 'v5|3\r\n*\r\n1\r\nTobu news\r\ninfo\r\nhttp://news.example/item\r\n$\r\n' \
  >"$WORK/www/AD/AD003.txt"
printf '<html><body style="background:#ff0">weather</body></html>' >"$WORK/www/Weather_TobuClock.htm"
python3 "$TOBU_SOURCE_DIR/tests/online/feed_server.py" --root "$WORK/www" --log "$WORK/requests.log" \
  >"$WORK/port" &
PIDS+=($!)
wait_for 10 test -s "$WORK/port" >/dev/null
PORT=$(head -n 1 "$WORK/port")
export TOBU_SERVER="http://127.0.0.1:$PORT/"
feed_requests() { cat "$WORK/requests.log" 2>/dev/null | grep -c "^GET /AD/AD003.txt$"; }
weather_requests() { cat "$WORK/requests.log" 2>/dev/null | grep -c "^GET /Weather_TobuClock.htm$"; }

# 1. No cache: one request at TimerAD, the cache written.
printf '[BAR]\r\nLeft=300\r\nTop=200\r\nDefWin=0\r\n' >"$APP/skin.ini"
TOBU_FEED_DELAY_MS=1500 start_clock
check "the bar appears" wait_for 10 bar_count_is 1
check "no request before TimerAD" test "$(feed_requests)" = 0
check "TimerAD writes Sup/Ad.his" wait_for 15 test -s "$APP/Sup/Ad.his"
check "the cache starts with the stamped header" grep -q '^v5|3|2[0-9]*/' "$APP/Sup/Ad.his"
sleep 2
check "the feed was asked for exactly once" test "$(feed_requests)" = 1
check "with our User-Agent" grep -q '^User-Agent: TobuClock/3.7.5' "$WORK/requests.log"

# The announcement line shows underlined: the date line's pixels change between its lines.
date_line_shot() { import -window root -crop 154x20+473+212 +repage "$1" 2>/dev/null; }
shots=0
for i in $(seq 12); do date_line_shot "$WORK/dl$i.png"; shots=$i; sleep 0.7; done
distinct=$(for i in $(seq $shots); do md5sum <"$WORK/dl$i.png"; done | sort -u | wc -l)
check "the date line cycles through the announcement" test "$distinct" -ge 2

# 2. A click on the announcement while it is on display reaches the opener.
click_until_opened() {
  for _ in $(seq 40); do
    xdotool mousemove 560 222 click 1 2>/dev/null
    sleep 0.4
    grep -q 'http://news.example/item' "$WORK/opened.txt" 2>/dev/null && return 0
  done
  return 1
}
check "a click on the announcement opens its link" click_until_opened
check "nothing else was opened" bash -c "! grep -qv 'http://news.example/item' '$WORK/opened.txt'"

# 3. tobu upgrade notify with three lines: the popup and Upgrade.his.
check "tobu upgrade notify reaches the clock" "$APP/tobu" upgrade notify "$(printf 'a\nb\nc')"
check "Upgrade.his is written" wait_for 5 grep -qE '^[0-9]{4}/[0-9]+/[0-9]+ [0-9]+:[0-9]{2}:[0-9]{2}' "$APP/Upgrade.his"
check "the popup program shows the notice" wait_for 15 bash -c "pgrep -f '^$APP/PopupMsg ' >/dev/null"
kill "$CLOCK" 2>/dev/null
check "the clock exits at once" wait_for 5 process_gone "$CLOCK"
pkill_popup() { local p; for p in $(pgrep -f "^$APP/PopupMsg "); do kill "$p" 2>/dev/null; done; }
pkill_popup

# 4. DefWin 3: the weather window asks for its page once.
printf '[BAR]\r\nLeft=300\r\nTop=200\r\nDefWin=3\r\n' >"$APP/skin.ini"
QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" start_clock
check "the bar appears again" wait_for 10 bar_count_is 1
check "the weather page is requested" wait_for 30 bash -c "[ \"\$(grep -c '^GET /Weather_TobuClock.htm$' '$WORK/requests.log')\" -ge 1 ]"
sleep 3
check "exactly once" test "$(weather_requests)" = 1
check "the cached feed is not asked again (fresh)" test "$(feed_requests)" = 1
weather_window() {
  xwininfo -root -children 2>/dev/null | grep -E ' 332x160\+' | grep -q .
}
check "the weather window is docked under the bar" weather_window
kill "$CLOCK" 2>/dev/null
check "the clock with the weather window exits" wait_for 10 process_gone "$CLOCK"
pkill_popup
finish
