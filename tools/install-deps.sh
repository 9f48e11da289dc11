#!/usr/bin/env bash
# Installs every Debian 12 package TobuClock needs to build, run and test. Idempotent: when
# everything is present it only checks and returns. Runs apt-get as root (or through sudo).
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsdl2-mixer-dev libcurl4-openssl-dev libx11-dev libxcb1-dev libx11-xcb-dev
  libsystemd-dev
  qt6-webengine-dev
  # fonts the program substitutes for the Windows ones
  fonts-arphic-uming fonts-arphic-ukai fonts-liberation2 fonts-dejavu-core
  # run on a virtual display when there is none
  xvfb x11-utils xdotool imagemagick
)
TEST_PACKAGES=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  openbox trayer xcompmgr faketime python3
  espeak-ng sox libsox-fmt-mp3
  clang libclang-rt-14-dev clang-format
  # the Debian package: building it (CPack, man pages) and checking it
  dpkg-dev fakeroot help2man lintian appstream desktop-file-utils librsvg2-bin
)

want=("${PACKAGES[@]}")
if [ "${1:-}" = "--test" ]; then want+=("${TEST_PACKAGES[@]}"); fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
