#!/usr/bin/env bash
# Renders the drawn sources of this folder into the pictures of ../ that the
# program loads (PNG, BMP, ICO). Needs rsvg-convert and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
out=..

for name in Play Stop In Out IPCLogin IPCLogfail IPCNew IPCPreview Logo1; do
    rsvg-convert "$name.svg" -o "$out/$name.png"
done

# Bitmaps without alpha, 24 bits per pixel.
for name in logo_ch logo_eg tab tabsel; do
    rsvg-convert "$name.svg" -o "/tmp/tervix-$name.png"
    convert "/tmp/tervix-$name.png" -background white -alpha remove -type TrueColor "BMP3:$out/$name.bmp"
    rm -f "/tmp/tervix-$name.png"
done

# The program icon at the usual sizes.
sizes=(16 24 32 48 64 256)
pngs=()
for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" IPCLogo.svg -o "/tmp/tervix-logo-$size.png"
    pngs+=("/tmp/tervix-logo-$size.png")
done
convert "${pngs[@]}" "$out/IPCLogo.ico"
rm -f "${pngs[@]}"

# The desktop icon of the installed program, one PNG per size of the hicolor
# theme (the SVG itself is installed as the scalable one).
for size in 16 32 48 64 128 256; do
    mkdir -p "$out/hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" IPCLogo.svg -o "$out/hicolor/${size}x${size}/apps/org.tervix.Tervix.png"
done
