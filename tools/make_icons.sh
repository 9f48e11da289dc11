#!/usr/bin/env bash
# Renders the program icon packaging/icons/tobuclock.svg to the PNG sizes of the icon theme
# (packaging/icons/<N>x<N>/tobuclock.png); 16 to 24 pixels come from tobuclock-small.svg, the
# same clock with fewer, bolder strokes. Needs rsvg-convert (Debian librsvg2-bin).
# The PNGs are committed; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for n in 16 22 24 32 48 64 128 256; do
  mkdir -p "${n}x${n}"
  svg=tobuclock.svg
  [ "$n" -gt 24 ] || svg=tobuclock-small.svg
  rsvg-convert -w "$n" -h "$n" -o "${n}x${n}/tobuclock.png" "$svg"
done
