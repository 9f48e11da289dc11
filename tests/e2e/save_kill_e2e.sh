#!/usr/bin/env bash
# A save killed at a random moment (kill -9, 50 times per file) leaves the old or the new
# complete file, never a mix and never no file; the same holds for a reader while saves run.
# The temporary files of killed writers are cleared by the next save once they are old enough
# not to be another writer's work in progress. Files: skin.ini, War.lst, Marks.rec and the
# announcement cache Sup/Ad.his, each saved by the program's own code.
. "$(dirname "$0")/lib.sh"
writer="$STAGE/../tobu_save_loop"

# kill_rounds KIND FILE: FILE is relative to the folder; everything else in the file's folder
# is a leftover.
kill_rounds() {
  local kind=$1 file=$2 dir="$WORK/$1" mixed=0
  local folder
  folder=$(dirname "$dir/$file")
  "$writer" "$kind" "$dir" once A && "$writer" "$kind" "$dir" once B
  "$writer" "$kind" "$dir" once A && cp "$dir/$file" "$WORK/$kind.A"
  "$writer" "$kind" "$dir" once B && cp "$dir/$file" "$WORK/$kind.B"
  "$writer" "$kind" "$dir" once A && cmp -s "$dir/$file" "$WORK/$kind.A" ||
    fail "$kind: A after B gives the same file"
  cmp -s "$WORK/$kind.A" "$WORK/$kind.B" && fail "$kind: the versions differ"
  for round in $(seq 50); do
    "$writer" "$kind" "$dir" loop &
    local pid=$!
    sleep "0.0$((RANDOM % 90 + 10))"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null
    if ! cmp -s "$dir/$file" "$WORK/$kind.A" && ! cmp -s "$dir/$file" "$WORK/$kind.B"; then
      mixed=$((mixed + 1))
      echo "$kind round $round left:"; od -c "$dir/$file" 2>&1 | head -5
    fi
  done
  check "$kind: every kill left version A or B complete" [ "$mixed" -eq 0 ]
  echo "$kind: temporary files left by the killed writers: $(($(ls -A "$folder" | wc -l) - 1))"

  "$writer" "$kind" "$dir" loop &
  local pid=$!
  check "$kind: a reader finds A or B whole while saves run" \
    "$writer" "$kind" "$dir" watch 1.5 "$WORK/$kind.A" "$WORK/$kind.B"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null

  # Later, the next save that changes the file clears the leftovers (a save of what the file
  # already says may write nothing; one of these two changes it).
  find "$folder" -name ".*" -type f -exec touch -d '-1 minute' {} +
  "$writer" "$kind" "$dir" once A
  "$writer" "$kind" "$dir" once B
  check "$kind: the next save leaves B" cmp -s "$dir/$file" "$WORK/$kind.B"
  check "$kind: no temporary file is left" [ "$(ls -A "$folder")" = "$(basename "$file")" ]
}

mkdir -p "$WORK/ini" "$WORK/tasks" "$WORK/marks" "$WORK/feed"
printf '; the user\x27s comment\r\n[SKIN]\r\nSkinFile=Dark.sk\r\n[LED]\r\nFontName=\xcb\xce\xcc\xe5\r\n' \
  >"$WORK/ini/skin.ini"
kill_rounds ini skin.ini
grep -q "the user's comment" "$WORK/ini.A" || fail "ini: the user's line is kept"
kill_rounds tasks War.lst
kill_rounds marks Marks.rec
kill_rounds feed Sup/Ad.his
finish
