#!/usr/bin/env bash
# `tobu skin` on what a user may be handed: a package whose texts carry terminal escape
# sequences, a FIFO where a package should be, a package far larger than any skin, and one
# with bytes after its picture.
source "$(dirname "$0")/lib.sh"
TOBU="$APP/tobu"
SK="$WORK/sk"
"$TOBU" skin unpack "$APP/Skin/BlueGlass.sk" "$SK" >/dev/null

# Escape sequences (set the window title, clear the screen, colour) in a section name, a key and
# a value reach the terminal as text only.
printf '[EV\033[2JIL]\r\nTitle=a\033]0;owned\007b\033[2Jc\r\nK\033[31mey=v\r\nBell=x\007\r\n' \
  >>"$SK/skin.ini"
"$TOBU" skin pack "$SK" "$WORK/evil.sk" >/dev/null
"$TOBU" skin info "$WORK/evil.sk" >"$WORK/info.txt" 2>&1
check "info succeeds on the package" [ $? -eq 0 ]
no_control_bytes() { ! LC_ALL=C grep -q $'[\x1b\x07]' "$1"; }
check "no ESC or BEL byte in what info prints" no_control_bytes "$WORK/info.txt"
check "the value is shown escaped" grep -qF 'Title=a\x1b]0;owned\x07b\x1b[2Jc' "$WORK/info.txt"
check "the key too" grep -qF 'K\x1b[31mey=v' "$WORK/info.txt"
check "and the section name" grep -qF '[EV\x1b[2JIL]' "$WORK/info.txt"

# A FIFO is refused at once (it used to wait for a writer forever).
mkfifo "$WORK/fifo.sk"
timeout 5 "$TOBU" skin info "$WORK/fifo.sk" >"$WORK/fifo.txt" 2>&1
rc=$?
check "info on a FIFO ends at once with exit 1 (got $rc)" [ "$rc" -eq 1 ]
check "saying it is not a regular file" grep -q "not a regular file" "$WORK/fifo.txt"
timeout 5 "$TOBU" skin unpack "$WORK/fifo.sk" "$WORK/out" >/dev/null 2>&1
rc=$?
check "unpack of a FIFO ends at once with exit 1 (got $rc)" [ "$rc" -eq 1 ]
mkdir -p "$WORK/fifodir"
cp "$SK/sheet.bmp" "$WORK/fifodir/"
mkfifo "$WORK/fifodir/skin.ini"
timeout 5 "$TOBU" skin pack "$WORK/fifodir" "$WORK/p.sk" >/dev/null 2>&1
rc=$?
check "pack with a FIFO for skin.ini ends at once with exit 1 (got $rc)" [ "$rc" -eq 1 ]

# Larger than 64 MiB: refused before it is read.
cp "$APP/Skin/BlueGlass.sk" "$WORK/huge.sk"
truncate -s 65M "$WORK/huge.sk"
"$TOBU" skin info "$WORK/huge.sk" >"$WORK/huge.txt" 2>&1
rc=$?
check "a 65 MiB package is refused (exit $rc)" [ "$rc" -eq 1 ]
check "for its size" grep -q "larger than the limit of 64 MiB" "$WORK/huge.txt"

# Bytes after the picture: the package is fine, and info says they were not read.
cp "$APP/Skin/BlueGlass.sk" "$WORK/tail.sk"
truncate -s 40M "$WORK/tail.sk"
"$TOBU" skin info "$WORK/tail.sk" >"$WORK/tail.txt" 2>&1
rc=$?
check "a package with trailing bytes is fine (exit $rc)" [ "$rc" -eq 0 ]
check "and its trailing bytes are left unread" grep -q "after the picture not read" "$WORK/tail.txt"
[ "$failures" -eq 0 ] || cat "$WORK/info.txt" "$WORK/fifo.txt" "$WORK/huge.txt" "$WORK/tail.txt"
finish
