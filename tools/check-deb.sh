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
for f in usr/lib/tobuclock/installed-system-wide usr/lib/tobuclock/skin.ini \
         usr/lib/tobuclock/Skin/BlueGlass.sk usr/lib/tobuclock/PopupMsg \
         usr/share/man/man1/tobu.1.gz usr/share/man/man1/TobuClock.1.gz \
         usr/share/icons/hicolor/scalable/apps/tobuclock.svg \
         usr/share/icons/hicolor/48x48/apps/tobuclock.png; do
  [ -e "$root/$f" ] || fail "missing /$f"
done
zcat "$root/usr/share/man/man1/tobu.1.gz" | grep -q 'cal' || fail "tobu.1 lacks the commands"

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
