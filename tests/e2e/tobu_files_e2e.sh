#!/usr/bin/env bash
# Files that `tobu skin` writes for its caller, in folders that other users share: a link that
# another user planted never makes it replace one of the caller's files; it refuses with one
# line instead. Another user is played by "nobody" through setpriv, which needs root (as in CI).
source "$(dirname "$0")/lib.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: playing another user needs root"
  finish
  exit
fi
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
chmod 755 "$WORK"
mkdir -p "$WORK/home" "$WORK/tmp"
chmod 1777 "$WORK/tmp"
echo mine >"$WORK/home/.bashrc"
victim_intact() { [ "$(cat "$WORK/home/.bashrc")" = mine ]; }
one_line() { [ "$(printf '%s\n' "$1" | wc -l)" -eq 1 ] && [ -n "$1" ]; }

# /tmp/x made by the other user, with x/skin.ini -> the caller's .bashrc.
as_nobody mkdir "$WORK/tmp/x"
as_nobody ln -s "$WORK/home/.bashrc" "$WORK/tmp/x/skin.ini"
out=$("$APP/tobu" skin unpack "$APP/Skin/BlueGlass.sk" "$WORK/tmp/x" 2>&1)
rc=$?
echo "unpack said: $out"
check "unpack into the other user's folder exits 1" [ "$rc" -eq 1 ]
check "with one line" one_line "$out"
check "the caller's file is untouched" victim_intact
check "the planted link is still a link" [ -L "$WORK/tmp/x/skin.ini" ]

# A package name taken by the other user's link in the shared sticky folder.
"$APP/tobu" skin unpack "$APP/Skin/BlueGlass.sk" "$WORK/mine" >/dev/null
as_nobody ln -s "$WORK/home/.bashrc" "$WORK/tmp/Dark.sk"
out=$("$APP/tobu" skin pack "$WORK/mine" "$WORK/tmp/Dark.sk" 2>&1)
rc=$?
echo "pack said: $out"
check "pack onto the other user's link exits 1" [ "$rc" -eq 1 ]
check "with one line" one_line "$out"
check "the caller's file is untouched" victim_intact
check "a fresh package in the shared folder is written" \
  "$APP/tobu" skin pack "$WORK/mine" "$WORK/tmp/New.sk"
check "and is a valid package" bash -c "'$APP/tobu' skin info '$WORK/tmp/New.sk' >/dev/null"

# The caller's own link is replaced by the new file, never followed.
rm "$WORK/mine/skin.ini"
ln -s "$WORK/home/.bashrc" "$WORK/mine/skin.ini"
check "unpack over the caller's own link succeeds" \
  "$APP/tobu" skin unpack "$APP/Skin/BlueGlass.sk" "$WORK/mine"
check "the link became a file" bash -c "[ -f '$WORK/mine/skin.ini' ] && [ ! -L '$WORK/mine/skin.ini' ]"
check "the caller's file is untouched" victim_intact
finish
