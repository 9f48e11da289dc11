#!/usr/bin/env bash
# A PopupMsg that exits at once, without registering: the message chime of the full hour hands
# its text over and the bar's LED keeps changing every second while the bar waits for the
# registration; the missing registration is reported once on standard error after 10 s.
source "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8

printf '[CLOCK]\r\nAlarm=1\r\nAlarmType=3\r\n[MSG]\r\nAuto=1\r\nAutoSec=5\r\nCalendarLX=0\r\n[BAR]\r\nDefWin=0\r\n' \
  >"$APP/skin.ini"
# The stand-in notes each start and ends at once.
rm -f "$APP/PopupMsg"
printf '#!/bin/sh\necho "$@" >>"%s/popup-starts"\nexit 0\n' "$WORK" >"$APP/PopupMsg"
chmod +x "$APP/PopupMsg"

FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@2024-02-10 13:59:56" "$APP/TobuClock" \
  >"$WORK/clock.log" 2>&1 &
PIDS+=($!)
check "the bar appears" wait_for 10 bar_count_is 1
CLOCK=$(pgrep -f "^$APP/TobuClock" | head -n 1)
PIDS+=($CLOCK)

# A picture of the LED (the time panel at 53,4 and the LED 1,1 inside it).
led_hash() {
  local x y
  read -r x y <<<"$(bar_pos)"
  import -window root -crop "117x23+$((x + 54))+$((y + 5))" png:- 2>/dev/null | md5sum | cut -c1-32
}
# Twelve looks at the LED a little more than a second apart, across the full hour.
prev=$(led_hash)
frozen=0
for _ in $(seq 12); do
  sleep 1.05
  cur=$(led_hash)
  [ "$cur" = "$prev" ] && frozen=$((frozen + 1))
  prev=$cur
done
check "PopupMsg was started once, with the bar's handle" \
  bash -c "[ \"\$(wc -l <'$WORK/popup-starts')\" -eq 1 ] && grep -Eq '^[0-9]+\$' '$WORK/popup-starts'"
check "the LED changed between every two looks across the full hour ($frozen frozen)" [ "$frozen" -eq 0 ]
reported() { grep -q "did not register" "$WORK/clock.log"; }
check "the missing registration is reported" wait_for 5 reported
check "... once" bash -c "[ \"\$(grep -c 'did not register' '$WORK/clock.log')\" -eq 1 ]"
check "the bar still runs" kill -0 "$CLOCK"

kill -TERM "$CLOCK"
check "the bar ends on SIGTERM" wait_for 5 process_gone "$CLOCK"
[ "$failures" -eq 0 ] || dump_log
finish
