#!/usr/bin/env bash
# A save of skin.ini killed at a random moment (kill -9, 50 times) leaves the old or the new
# complete file, never a mix; the temporary files of killed writers are cleared by the next
# save once they are old enough not to be another writer's work in progress.
. "$(dirname "$0")/lib.sh"
writer="$STAGE/../tobu_save_loop"
dir="$WORK/kill"
mkdir -p "$dir"
ini="$dir/skin.ini"
printf '; the user\x27s comment\r\n[SKIN]\r\nSkinFile=Dark.sk\r\n[LED]\r\nFontName=\xcb\xce\xcc\xe5\r\n' >"$ini"
# The two versions the loop alternates between, once the keys of both states are in the file.
"$writer" "$ini" once A && "$writer" "$ini" once B
"$writer" "$ini" once A && cp "$ini" "$WORK/A.ini"
"$writer" "$ini" once B && cp "$ini" "$WORK/B.ini"
"$writer" "$ini" once A && cmp -s "$ini" "$WORK/A.ini" || fail "A after B gives the same file"
cmp -s "$WORK/A.ini" "$WORK/B.ini" && fail "the versions differ"
grep -q "the user's comment" "$WORK/A.ini" || fail "the user's line is kept"

mixed=0
for round in $(seq 50); do
  "$writer" "$ini" loop &
  pid=$!
  sleep "0.0$((RANDOM % 90 + 10))"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null
  if ! cmp -s "$ini" "$WORK/A.ini" && ! cmp -s "$ini" "$WORK/B.ini"; then
    mixed=$((mixed + 1))
    echo "round $round left:"; od -c "$ini" | head -5
  fi
done
check "every kill left version A or B complete" [ "$mixed" -eq 0 ]
left=$(find "$dir" -name '.skin.ini.tobu-*' | wc -l)
echo "temporary files left by the killed writers: $left"

# Later, the next save that changes the file clears them (a save of what the file already
# says writes nothing; one of these two changes it).
find "$dir" -name '.skin.ini.tobu-*' -exec touch -d '-1 minute' {} +
"$writer" "$ini" once A
"$writer" "$ini" once B
check "the next save leaves B" cmp -s "$ini" "$WORK/B.ini"
check "no temporary file is left" [ -z "$(find "$dir" -name '.skin.ini.tobu-*')" ]
check "nothing else is left" [ "$(ls -A "$dir")" = "skin.ini" ]
echo "passed $passes, failed $failures"
[ "$failures" -eq 0 ]
