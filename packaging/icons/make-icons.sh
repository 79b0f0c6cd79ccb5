#!/usr/bin/env bash
# Renders the program's icon from cz.ktq51.Programator.svg into the committed
# PNGs (48 and 256 px, for the desktop and the window) and the Windows icon
# programator.ico (16, 32, 48 and 256 px). Needs librsvg2-bin and imagemagick.
set -euo pipefail
cd "$(dirname "$0")"
svg=cz.ktq51.Programator.svg
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48 256; do
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$tmp/$size.png"
done
# -strip: no time stamps in the files, so they are the same on every run.
convert "$tmp/48.png" -strip "programator-48.png"
convert "$tmp/256.png" -strip "programator-256.png"
convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$tmp/256.png" programator.ico
