#!/usr/bin/env bash
# The program folder made read-only for the user who runs the clock ("nobody", through setpriv,
# since root ignores permissions): the clock runs on, tells once that skin.ini could not be
# saved, tobu says so too, and every file stays as it was.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/save_fault_lib.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: playing another user needs root"
  exit 77
fi
chmod 755 "$WORK"
seed_user_files "$APP"
# The runtime folder is the user's own.
export TOBU_RUNTIME_DIR="$WORK/run-nobody" XDG_RUNTIME_DIR="$WORK/run-nobody"
mkdir -m 700 "$TOBU_RUNTIME_DIR"
chown -R 65534:65534 "$APP" "$TOBU_RUNTIME_DIR"
chmod -R a-w "$APP"
fault_case "$APP" setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$WORK/run-nobody"
finish
