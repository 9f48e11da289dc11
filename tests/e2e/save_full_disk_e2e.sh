#!/usr/bin/env bash
# The program folder on a full disk (a small tmpfs filled to the last byte): the clock runs on,
# tells once that skin.ini could not be saved, tobu says so too, and every file stays as it
# was. Mounting needs root or a user namespace (unshare -rm); without either the case skips.
can_mount() {
  local d r
  d=$(mktemp -d) || return 1
  mount -t tmpfs -o size=1m tmpfs "$d" 2>/dev/null && umount "$d"
  r=$?
  rmdir "$d"
  return $r
}
if ! can_mount; then
  if [ -z "${TOBU_IN_NAMESPACE:-}" ] && unshare -rm true 2>/dev/null; then
    TOBU_IN_NAMESPACE=1 exec unshare -rm bash "$0"
  fi
  echo "skipped: cannot mount a tmpfs here, not even in a user namespace"
  exit 77
fi
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/save_fault_lib.sh"
disk="$WORK/disk"
mkdir "$disk"
size_kb=$(($(du -sk "$APP" | cut -f1) + 2048))
mount -t tmpfs -o "size=${size_kb}k" tmpfs "$disk" || { echo "cannot mount"; exit 1; }
cleanup_disk() {
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  umount -l "$disk"
  cleanup
}
trap cleanup_disk EXIT
cp -r "$APP"/. "$disk"/
seed_user_files "$disk"
# Fill every byte that is left; the files of the folder are already there.
dd if=/dev/zero of="$disk/.filler" bs=64k 2>/dev/null
dd if=/dev/zero of="$disk/.filler2" bs=1 2>/dev/null
check "the disk is full" [ "$(df --output=avail "$disk" | tail -n 1 | tr -d ' ')" -eq 0 ]
fault_case "$disk"
finish
