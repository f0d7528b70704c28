#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG into the hicolor
# layout the package installs and the program compiles in. Run it after
# changing the SVG and commit the PNGs with it (rsvg-convert is in Debian's
# librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for id in org.tarnwell.Tarnwell; do
    for size in 48 64 128 256; do
        mkdir -p "hicolor/${size}x${size}/apps"
        rsvg-convert --width "$size" --height "$size" --output "hicolor/${size}x${size}/apps/$id.png" "$id.svg"
    done
done
