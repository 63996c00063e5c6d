#!/usr/bin/env bash
# Renders the program's icon (src/platform/ui/icons/lanseek.svg) into the PNG sizes the window, the tray
# and the desktop's icon theme use. Run after changing the drawing; the PNGs are kept in the repository so
# that building needs no SVG renderer. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src/platform/ui/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "$here/lanseek-$size.png" "$here/lanseek.svg"
done
