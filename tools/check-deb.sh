#!/usr/bin/env bash
# Builds the Debian package from a build folder (default build/), installs it into a temporary
# root and runs the tool from there, checks the desktop entry and the AppStream metadata, and
# has lintian look at the package (errors fail the check).
#   tools/check-deb.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
ninja -C "$build" >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/tobuclock_$(sed -n 's/^project(TobuClock VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)_amd64.deb"
[ -f "$deb" ] || { echo "check-deb: $deb was not made" >&2; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "check-deb: $*" >&2; exit 1; }

# The tool on PATH, from the installed tree.
[ "$("$root/usr/bin/tobu" --version)" = "3.7.5" ] || fail "tobu --version"
"$root/usr/bin/tobu" cal --json 2024-02-10 | grep -q '"lunar"' || fail "tobu cal --json"
[ "$("$root/usr/bin/TobuClock" --version)" = "TobuClock 3.7.5" ] || fail "TobuClock --version"
# tobu finds the HTTP module beside its real self: the request is made (nothing listens there).
fetched=$(TOBU_SERVER=http://127.0.0.1:9/ "$root/usr/bin/tobu" feed fetch --dir "$root" --no-write \
  --json 2>/dev/null || true)
case "$fetched" in *'"requested": true'*) ;; *) fail "tobu feed fetch does not load Modules/TobuHttp.so" ;; esac
for f in usr/lib/tobuclock/installed-system-wide usr/lib/tobuclock/skin.ini \
         usr/lib/tobuclock/Skin/BlueGlass.sk usr/lib/tobuclock/PopupMsg \
         usr/lib/tobuclock/Modules/TobuHttp.so usr/lib/tobuclock/Modules/TobuWeatherPage.so \
         usr/lib/tobuclock/Help/index.html \
         usr/share/man/man1/tobu.1.gz usr/share/man/man1/TobuClock.1.gz \
         usr/share/icons/hicolor/scalable/apps/tobuclock.svg \
         usr/share/icons/hicolor/48x48/apps/tobuclock.png; do
  [ -e "$root/$f" ] || fail "missing /$f"
done
zcat "$root/usr/share/man/man1/tobu.1.gz" | grep -q 'cal' || fail "tobu.1 lacks the commands"

# The clock from the installed tree, on a virtual display: it works in the user's own folder,
# seeded on the first start, saves its state there at the end and leaves the shipped folder
# alone.
if command -v Xvfb >/dev/null; then
  mkdir -p "$root/home" "$root/run"
  chmod 700 "$root/run"
  . tools/xvfb.sh
  start_xvfb
  xvfb=$XVFB_PID
  env -u XDG_DATA_HOME -u QT_QPA_PLATFORM HOME="$root/home" \
    TOBU_RUNTIME_DIR="$root/run" TOBU_INSTANCE_NAME="tobu-check-deb-$$" SDL_AUDIODRIVER=dummy \
    "$root/usr/bin/TobuClock" >/dev/null 2>&1 &
  clock=$!
  user="$root/home/.local/share/TobuClock"
  for _ in $(seq 50); do [ -f "$user/skin.ini" ] && break; sleep 0.2; done
  sleep 2
  kill "$clock"
  wait "$clock" || true
  kill "$xvfb"
  [ -L "$user/Skin/BlueGlass.sk" ] || fail "the user's folder links the shipped skins"
  grep -q '^\[BAR\]' "$user/skin.ini" || fail "the clock saved its state in the user's folder"
  cmp -s "$root/usr/lib/tobuclock/skin.ini" data/skin.ini || fail "the shipped skin.ini changed"
fi

desktop-file-validate "$root/usr/share/applications/com.example.TobuClock.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.example.TobuClock.metainfo.xml" >/dev/null

# Installed for real into the temporary root as well, when dpkg may (as root).
if [ "$(id -u)" = 0 ]; then
  dpkgroot=$(mktemp -d)
  trap 'rm -rf "$root" "$dpkgroot"' EXIT
  mkdir -p "$dpkgroot/var/lib/dpkg/info" "$dpkgroot/var/lib/dpkg/updates"
  touch "$dpkgroot/var/lib/dpkg/status"
  dpkg --root="$dpkgroot" --force-depends --force-not-root --log=/dev/null -i "$deb" >/dev/null 2>&1
  [ "$("$dpkgroot/usr/bin/tobu" --version)" = "3.7.5" ] || fail "tobu from dpkg --root"
  dpkg --root="$dpkgroot" --force-depends --log=/dev/null -r tobuclock >/dev/null
  [ ! -e "$dpkgroot/usr/bin/tobu" ] || fail "removing the package left tobu"
fi

# lintian: errors fail; warnings are shown.
out=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v "running with root privileges" || true)
[ -z "$out" ] || echo "$out"
if echo "$out" | grep -q '^E:'; then fail "lintian reports errors"; fi
echo "check-deb: $deb installs and runs"
