#!/usr/bin/env bash
# Time services as a user meets them: with 自动网络校时 on and TimeHost.lst naming a local Time
# server, the clock asks it soon after start; the first answer fails (the server closes at
# once), the second attempt follows 10 s later, the clock setter gets the server's time and
# TimeCheck.lst is written. The clock setter is a recording stand-in: the real clock is never
# touched. Then 城市时间查询 opens the world time window from the bar's menu.
source "$(dirname "$0")/lib.sh"

# The stand-in: records its arguments.
cat >"$WORK/setter.sh" <<EOS
#!/bin/sh
echo "\$1|\$2" >>"$WORK/setter.log"
EOS
chmod +x "$WORK/setter.sh"
export TOBU_CLOCK_SETTER="$WORK/setter.sh"
[ -n "$TOBU_CLOCK_SETTER" ] || exit 1

# A Time server on loopback: the first connection is closed at once, later ones get the
# answer 0xE99E0E00 (2024-03-15 00:00:00 UTC). It logs each connection's time.
python3 - "$WORK" >"$WORK/server.log" 2>&1 <<'EOS' &
import socket, struct, sys, time
work = sys.argv[1]
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
open(work + "/port", "w").write(str(s.getsockname()[1]))
n = 0
while True:
    c, _ = s.accept()
    n += 1
    with open(work + "/connections", "a") as f:
        f.write("%.3f\n" % time.monotonic())
    if n > 1:
        c.sendall(struct.pack(">I", 0xE99E0E00))
    c.close()
EOS
PIDS+=($!)
wait_for 5 test -s "$WORK/port"
PORT=$(cat "$WORK/port")
printf '127.0.0.1:%s\r\n' "$PORT" >"$APP/TimeHost.lst"
rm -f "$APP/TimeCheck.lst"
printf '[TIME]\r\nAutoChcek=1\r\nStepHour=1\r\n[BAR]\r\nLeft=200\r\nTop=100\r\nDefWin=0\r\n' >"$APP/skin.ini"

start_clock
check "the bar starts" wait_for 10 bar_count_is 1
check "the first attempt asks the server at once" wait_for 5 test -s "$WORK/connections"
check "the second attempt sets the clock to the server's time" \
  wait_for 15 grep -qs '^1710460800|' "$WORK/setter.log"
gap=$(awk 'NR==1{a=$1} NR==2{printf "%d", ($1-a)*10}' "$WORK/connections")
echo "gap between the attempts: ${gap} tenths of a second"
check "the second attempt came 10 s after the first" [ "${gap:-0}" -ge 95 -a "${gap:-0}" -le 120 ]
check "the clock was set once" [ "$(wc -l <"$WORK/setter.log")" -eq 1 ]
check "TimeCheck.lst holds the time of the correction" \
  grep -qaP '^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\r$' "$APP/TimeCheck.lst"

# 城市时间查询 from the bar's menu: the menu opens under its button at the bar's left, the
# item is the seventh row, 187 pixels below the bar's top.
world_open() { xdotool search --onlyvisible --name "城市时间查询" >/dev/null 2>&1; }
xdotool mousemove 220 115 click 1
sleep 0.8
xdotool mousemove 298 287 click 1
check "城市时间查询 opens the world time window" wait_for 5 world_open
id=$(xdotool search --onlyvisible --name "城市时间查询" | head -n 1)
geom=$(xwininfo -id "$id" 2>/dev/null | awk '/Width/{w=$NF} /Height/{h=$NF} END{print w "x" h}')
echo "world time window: $geom"
check "it has its size" [ "$geom" = "520x330" ]
xdotool key --window "$id" Escape
check "Escape closes it" wait_for 5 bash -c "! xdotool search --onlyvisible --name 城市时间查询 >/dev/null 2>&1"
check "the clock still runs" kill -0 "$CLOCK"
kill -TERM "$CLOCK"
check "SIGTERM ends the program, worker and all" wait_for 5 process_gone "$CLOCK"
finish
